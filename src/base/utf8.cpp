#include "base/utf8.h"

#include <cstring>

namespace tandrel::utf8 {
namespace {

constexpr std::size_t MAX_SEQUENCE = 4;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}

// The length that a lead byte announces: 1 for ASCII, 2 to 4 for a lead, 0 for a byte that starts
// no character (a continuation byte, or 0xF8 and above).
std::size_t announcedLength(unsigned char byte) {
    if (byte < 0x80u)
        return 1;
    if (byte >= 0xC0u && byte < 0xE0u)
        return 2;
    if (byte >= 0xE0u && byte < 0xF0u)
        return 3;
    if (byte >= 0xF0u && byte < 0xF8u)
        return 4;
    return 0;
}

// The range of the second byte of a well-formed sequence, which rules out overlong forms,
// surrogates and code points above U+10FFFF; the bytes after it only need to be continuations.
bool secondByteFits(unsigned char lead, unsigned char second) {
    switch (lead) {
        case 0xE0u:
            return second >= 0xA0u && second <= 0xBFu;
        case 0xEDu:
            return second >= 0x80u && second <= 0x9Fu;
        case 0xF0u:
            return second >= 0x90u && second <= 0xBFu;
        case 0xF4u:
            return second >= 0x80u && second <= 0x8Fu;
        default:
            return isContinuation(second);
    }
}

bool isWellFormedLead(unsigned char lead) {
    return lead < 0x80u || (lead >= 0xC2u && lead <= 0xF4u);
}

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unassigned bytes there become the
// control characters of the same value, as the system's own conversion makes them.
constexpr char32_t WINDOWS_1252_HIGH_CONTROLS[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t windows1252CodePoint(unsigned char byte) {
    return byte >= 0x80u && byte < 0xA0u ? WINDOWS_1252_HIGH_CONTROLS[byte - 0x80u] : char32_t{byte};
}

// The UTF-8 form of a code point below U+10000; returns its length.
std::size_t encode(char32_t codePoint, char (&bytes)[MAX_SEQUENCE]) {
    if (codePoint < 0x80) {
        bytes[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        bytes[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    bytes[0] = static_cast<char>(0xE0 | (codePoint >> 12));
    bytes[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
}

}  // namespace

bool isValid(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = announcedLength(lead);
        if (!isWellFormedLead(lead) || length == 0 || text.size() - i < length) {
            return false;
        }
        if (length > 1 && !secondByteFits(lead, static_cast<unsigned char>(text[i + 1]))) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (!isContinuation(static_cast<unsigned char>(text[i + k]))) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::size_t completeLength(std::string_view text) {
    // The last character starts at most three bytes before the end.
    std::size_t start = text.size();
    while (start > 0 && text.size() - start < MAX_SEQUENCE - 1 &&
           isContinuation(static_cast<unsigned char>(text[start - 1]))) {
        --start;
    }
    if (start == 0) {
        return text.size();
    }
    std::size_t lead = start - 1;
    std::size_t length = announcedLength(static_cast<unsigned char>(text[lead]));
    bool cutShort = length > 1 && text.size() - lead < length;
    return cutShort ? lead : text.size();
}

std::size_t cutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    // A cut before a byte that starts a character is a boundary whatever came before.
    if (!isContinuation(static_cast<unsigned char>(text[maxBytes]))) {
        return maxBytes;
    }
    return completeLength(text.substr(0, maxBytes));
}

std::size_t fromWindows1252(std::string_view text, char* out, std::size_t capacity) {
    std::size_t length = 0;
    for (char byte : text) {
        char bytes[MAX_SEQUENCE];
        std::size_t size = encode(windows1252CodePoint(static_cast<unsigned char>(byte)), bytes);
        if (capacity - 1 - length < size) {
            break;
        }
        std::memcpy(out + length, bytes, size);
        length += size;
    }
    out[length] = '\0';
    return length;
}

}  // namespace tandrel::utf8

// Bounded text copies into the plug-in's fixed-size text fields: never more than the field holds,
// always NUL-terminated, and a cut never leaves part of a UTF-8 character behind.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/utf8.h"

namespace tandrel {

// Copies as much of text as fits into size - 1 bytes, ending on a character boundary, and terminates
// it. size must be at least 1.
inline void copyBounded(char* dest, std::size_t size, std::string_view text) {
    std::size_t length = utf8::cutLength(text, size - 1);
    std::memcpy(dest, text.data(), length);
    dest[length] = '\0';
}

// The same for a NUL-terminated source, reading no further than the field can take. A source that
// fills the field is cut before a character whose last bytes would not fit.
inline void copyBounded(char* dest, std::size_t size, const char* text) {
    if (text == nullptr) {
        text = "";
    }
    const void* end = std::memchr(text, '\0', size - 1);
    std::size_t length = end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text)
                                        : utf8::completeLength(std::string_view(text, size - 1));
    copyBounded(dest, size, std::string_view(text, length));
}

template <std::size_t N>
void copyBounded(char (&dest)[N], const char* text) {
    copyBounded(dest, N, text);
}

template <std::size_t N>
void copyBounded(char (&dest)[N], std::string_view text) {
    copyBounded(dest, N, text);
}

}  // namespace tandrel

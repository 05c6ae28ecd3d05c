// UTF-8 text: what counts as well-formed, cuts that never split a character, and Windows-1252 text
// made UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/bounded_copy.h"
#include "base/utf8.h"
#include "settings/plugin_settings.h"

namespace tandrel::testing {
namespace {

struct ValidityCase {
    const char* name;
    std::string text;
    bool valid;
};

TEST(Utf8, IsValidAcceptsWellFormedTextOnly) {
    const ValidityCase cases[] = {
        {"empty", "", true},
        {"ASCII", "Pop | Charts", true},
        {"two-byte",
         "M\xC3\xBCnchner Stra\xC3\x9F"
         "e",
         true},
        {"three-byte", "\xE2\x82\xAC \xE2\x80\x8B", true},
        {"four-byte", "\xF0\x9F\x8E\xB5", true},
        {"largest code point", "\xF4\x8F\xBF\xBF", true},
        {"Windows-1252 umlaut", "M\xFCnchner", false},
        {"stray continuation",
         "a\x80"
         "b",
         false},
        {"lead without continuation",
         "\xC3"
         "a",
         false},
        {"cut at the end", "ab\xE2\x82", false},
        {"overlong two-byte", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"overlong four-byte", "\xF0\x80\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"byte 0xFF", "\xFF", false},
    };
    for (const ValidityCase& c : cases) {
        EXPECT_EQ(utf8::isValid(c.text), c.valid) << c.name;
    }
}

struct CutCase {
    const char* name;
    std::string text;
    std::size_t maxBytes;
    std::size_t length;
};

TEST(Utf8, CutLengthEndsOnACharacterBoundary) {
    const CutCase cases[] = {
        {"fits", "abc", 3, 3},
        {"ASCII is cut at the limit", "abcdef", 4, 4},
        {"before a two-byte character", "abc\xC3\xBC", 4, 3},
        {"after a two-byte character", "ab\xC3\xBCx", 4, 4},
        {"inside a three-byte character, after its lead", "ab\xE2\x82\xAC", 3, 2},
        {"inside a three-byte character, before its last byte", "ab\xE2\x82\xAC", 4, 2},
        {"inside a four-byte character", "a\xF0\x9F\x8E\xB5", 4, 1},
        {"right after a four-byte character", "a\xF0\x9F\x8E\xB5z", 5, 5},
        {"limit 0", "\xC3\xBC", 0, 0},
        // Bytes that start no character are cut where the limit falls.
        {"stray continuation bytes", "\x80\x80\x80\x80\x80", 3, 3},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(utf8::cutLength(c.text, c.maxBytes), c.length) << c.name;
    }
}

TEST(Utf8, CompleteLengthDropsOnlyACharacterCutShort) {
    const CutCase cases[] = {
        {"complete", "a\xC3\xBC", 0, 3},
        {"lead only", "a\xC3", 0, 1},
        {"three-byte missing one", "a\xE2\x82", 0, 1},
        {"four-byte missing one", "\xF0\x9F\x8E", 0, 0},
        {"ASCII", "abc", 0, 3},
        {"empty", "", 0, 0},
        {"continuations without a lead", "a\x80\x80\x80\x80", 0, 5},
        {"Windows-1252 bytes that start no character", "Caf\xFF", 0, 4},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(utf8::completeLength(c.text), c.length) << c.name;
    }
}

// Station texts whose field limit falls inside a multi-byte character: the character goes whole.
struct FieldCase {
    const char* name;
    std::string text;
    std::string label;  // the first 63 bytes, cut before a split character
    std::string url;    // the first 255 bytes, the same way
};

TEST(BoundedCopy, StationFieldsAreCutBeforeASplitCharacter) {
    const std::string a62(62, 'a');
    const std::string a254(254, 'a');
    const FieldCase cases[] = {
        {"two-byte at byte 63",
         a62 + "\xC3\xBC"
               "b",
         a62,
         a62 + "\xC3\xBC"
               "b"},
        {"three-byte at byte 62", std::string(61, 'a') + "\xE2\x82\xAC", std::string(61, 'a'),
         std::string(61, 'a') + "\xE2\x82\xAC"},
        {"four-byte at byte 61", std::string(60, 'a') + "\xF0\x9F\x8E\xB5", std::string(60, 'a'),
         std::string(60, 'a') + "\xF0\x9F\x8E\xB5"},
        {"four-byte ending exactly at 63",
         std::string(59, 'a') + "\xF0\x9F\x8E\xB5"
                                "z",
         std::string(59, 'a') + "\xF0\x9F\x8E\xB5",
         std::string(59, 'a') + "\xF0\x9F\x8E\xB5"
                                "z"},
        {"two-byte at byte 255", a254 + "\xC3\x9F", a254.substr(0, 63), a254},
        {"three-byte across 255", std::string(253, 'u') + "\xE2\x82\xAC", std::string(63, 'u'),
         std::string(253, 'u')},
    };
    for (const FieldCase& c : cases) {
        StationEntry entry{};
        copyBounded(entry.label, std::string_view(c.text));
        copyBounded(entry.url, std::string_view(c.text));
        EXPECT_EQ(entry.label, c.label) << c.name;
        EXPECT_EQ(entry.url, c.url) << c.name;
        // The NUL-terminated form, and a full field copied into another, cut the same way.
        StationEntry copy{};
        copyBounded(copy.label, c.text.c_str());
        EXPECT_EQ(copy.label, c.label) << c.name;
    }
}

TEST(BoundedCopy, FieldWithoutItsNulIsReadNoFurtherAndCutBeforeASplitCharacter) {
    char full[8];
    std::memcpy(full, "abcde\xE2\x82\xAC", 8);  // no NUL: the character's last byte lies beyond 7
    char copy[8];
    copyBounded(copy, full);
    EXPECT_STREQ(copy, "abcde");
}

struct Windows1252Case {
    const char* name;
    std::string text;
    std::string utf8;
};

TEST(Utf8, Windows1252BecomesUtf8) {
    const Windows1252Case cases[] = {
        {"ASCII unchanged", "Pop | Charts", "Pop | Charts"},
        {"umlauts and sharp s",
         "M\xFCnchner \xC4rger Stra\xDF"
         "e",
         "M\xC3\xBCnchner \xC3\x84rger Stra\xC3\x9F"
         "e"},
        {"euro sign and quotes", "\x80 \x84x\x93", "\xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C"},
        {"last of the high range", "\x9F\xFF", "\xC5\xB8\xC3\xBF"},
        {"unassigned bytes stay control characters", "\x81\x8D\x8F\x90\x9D",
         "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"no-break space",
         "a\xA0"
         "b",
         "a\xC2\xA0"
         "b"},
    };
    for (const Windows1252Case& c : cases) {
        char out[64];
        std::size_t length = utf8::fromWindows1252(c.text, out, sizeof out);
        EXPECT_EQ(std::string(out, length), c.utf8) << c.name;
        EXPECT_EQ(out[length], '\0') << c.name;
        EXPECT_TRUE(utf8::isValid(out)) << c.name;
    }
}

TEST(Utf8, Windows1252TextThatDoesNotFitEndsWithAWholeCharacter) {
    char out[5];
    EXPECT_EQ(utf8::fromWindows1252("ab\x80", out, sizeof out), 2u);  // the euro sign needs three bytes
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(utf8::fromWindows1252("a\xFC\xFC", out, sizeof out), 3u);
    EXPECT_STREQ(out, "a\xC3\xBC");
}

}  // namespace
}  // namespace tandrel::testing

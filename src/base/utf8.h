// UTF-8, the encoding of every text inside the plug-in and of every string the host takes or gives:
// validity, cuts that never split a character, and text of the Windows-1252 code page made UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

namespace tandrel::utf8 {

// True when text is well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF. Empty and ASCII text are valid.
bool isValid(std::string_view text);

// The length of text without a character whose last bytes are missing at its end (a lead byte
// followed by fewer continuation bytes than it announces). Text that ends on a character boundary,
// or ends in bytes that start no character, keeps its length.
std::size_t completeLength(std::string_view text);

// The length of the longest start of text that has at most maxBytes bytes and does not end inside a
// character; text.size() when it fits.
std::size_t cutLength(std::string_view text, std::size_t maxBytes);

// Writes text, read as Windows-1252, into out as UTF-8 and terminates it; characters that no longer
// fit whole are left out. Returns the length written. capacity must be at least 1.
std::size_t fromWindows1252(std::string_view text, char* out, std::size_t capacity);

}  // namespace tandrel::utf8

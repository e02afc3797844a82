#pragma once
// UTF-8 both ways, the one reader and writer every text of the program goes through: tag texts,
// language files, file names, the catalogue and the code pages.

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel::utf8 {

// One sequence: its code point and its length in bytes; length 0 where the bytes are not a
// valid sequence.
struct Sequence {
    char32_t cp = 0;
    std::size_t length = 0;
};

// The valid sequence at s[pos]: no overlong form, no surrogate, nothing above U+10FFFF, not cut
// short by the end of s.
Sequence sequenceAt(std::string_view s, std::size_t pos);

// True when all of s is valid UTF-8.
bool isValid(std::string_view s);

// A code point as UTF-8; one that cannot be encoded (a surrogate, above U+10FFFF) gives U+FFFD.
void append(std::string& out, char32_t cp);

// ISO-8859-1 bytes (one byte, one character) as UTF-8.
std::string fromLatin1(std::string_view latin1);

} // namespace korvel::utf8

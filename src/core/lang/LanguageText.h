#pragma once
// Text encodings of language files: a file is taken as UTF-8 when all of it is valid UTF-8,
// else as Windows-1252 (one byte, one character).

#include <string>
#include <string_view>

namespace korvel::lang {

// Windows-1252, the code page legacy language files were written in: Latin-1 but for 0x80 to
// 0x9F, which hold the euro sign, curly quotes, dashes and a few letters. The five codes the
// code page leaves free stand for the control characters of the same number.
std::string windows1252ToUtf8(std::string_view s);

// s without a UTF-8 sequence cut short at its end (left by a length limit counted in bytes).
std::string_view withoutCutSequence(std::string_view s);

} // namespace korvel::lang

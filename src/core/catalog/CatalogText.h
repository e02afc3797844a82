#pragma once
// Text helpers of the catalogue writers: UTF-8 out of code page 437 and out of file names of any
// encoding, and the quoting of JSON and HTML.

#include <string>
#include <string_view>

namespace korvel::catalog {

// Description bytes through the code page 437 table (the view's code page), as UTF-8.
std::string cp437ToUtf8(std::string_view bytes);

// A file name as UTF-8: valid UTF-8 as it is, any other byte as the ISO-8859-1 letter it is in
// the Latin-1 names of older systems.
std::string nameToUtf8(std::string_view name);

// A JSON string literal (with its quotes) for UTF-8 text.
std::string jsonQuote(std::string_view utf8);

// UTF-8 text with &, <, >, " escaped for HTML.
std::string htmlEscape(std::string_view utf8);

} // namespace korvel::catalog

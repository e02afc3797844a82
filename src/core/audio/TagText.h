#pragma once
// Text helpers shared by the tag formats. Tag texts are ISO-8859-1 bytes held in std::string;
// the helpers trim them the way the tags do and convert them for display and from user input.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// Removes trailing characters with codes 0 to 32 (zero bytes, blanks, control characters).
std::string TrimRight32(std::string_view text);
// Removes leading and trailing characters with codes 0 to 32.
std::string Trim32(std::string_view text);

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
// UTF-8 to ISO-8859-1; characters outside it (and broken sequences) become '?'. When lossy is given
// it is set to whether any character had to be replaced.
std::string Utf8ToLatin1(std::string_view utf8, bool* lossy = nullptr);
// UTF-16 to ISO-8859-1 ('?' for characters outside it). A leading byte order mark chooses the byte
// order and is dropped; without one, bigEndian says which order the bytes are in.
std::string Utf16ToLatin1(std::span<const std::uint8_t> bytes, bool bigEndian);

} // namespace korvel

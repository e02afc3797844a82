#pragma once
// Text helpers shared by the tag formats. ID3v1 texts are ISO-8859-1 bytes, ID3v2 texts are held
// as UTF-8; the helpers trim them the way the tags do and convert between the encodings.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Removes trailing characters with codes 0 to 32 (zero bytes, blanks, control characters).
std::string TrimRight32(std::string_view text);
// Removes leading and trailing characters with codes 0 to 32.
std::string Trim32(std::string_view text);

// UTF-8 to ISO-8859-1; characters outside it (and broken sequences) become '?'. When lossy is given
// it is set to whether any character had to be replaced.
std::string Utf8ToLatin1(std::string_view utf8, bool* lossy = nullptr);
// UTF-16 to ISO-8859-1 ('?' for characters outside it). A leading byte order mark chooses the byte
// order and is dropped; without one, bigEndian says which order the bytes are in.
std::string Utf16ToLatin1(std::span<const std::uint8_t> bytes, bool bigEndian);

// UTF-16 to UTF-8 (U+FFFD for a lone surrogate). A leading byte order mark chooses the byte order
// and is dropped; without one, bigEndian says which order the bytes are in.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian);
// UTF-8 to UTF-16 in the given byte order, without a byte order mark.
std::vector<std::uint8_t> Utf8ToUtf16(std::string_view utf8, bool bigEndian);
// Broken UTF-8 sequences replaced by U+FFFD, so that the text is valid UTF-8.
std::string ValidUtf8(std::string_view bytes);
// True when every character of a UTF-8 text is in ISO-8859-1.
bool FitsLatin1(std::string_view utf8);

} // namespace korvel

#pragma once
// The texts of ID3v2 frames: an encoding byte (0 ISO-8859-1, 1 UTF-16 with byte order mark,
// 2 UTF-16 big-endian, 3 UTF-8) and texts ended by a zero character. Decoded to UTF-8; encoded in
// ISO-8859-1 when the text fits it, otherwise in UTF-16 (version 2.3) or UTF-8 (version 2.4).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// The values of a text frame ("T..." but "TXXX"): 2.4 separates several by zero characters.
std::vector<std::string> DecodeTextFrame(std::span<const std::uint8_t> content);
// A text frame's content holding one value.
std::vector<std::uint8_t> EncodeTextFrame(std::string_view utf8, std::uint8_t version);

struct ID3v2Comment {
    std::string Language = "eng"; // three letters
    std::string Description;
    std::string Text;
};
// A comment frame (COMM, in 2.2 COM): encoding, language, short description, text.
std::optional<ID3v2Comment> DecodeComment(std::span<const std::uint8_t> content);
std::vector<std::uint8_t> EncodeComment(const ID3v2Comment& comment, std::uint8_t version);

// The encoding byte for texts written into a tag of the version.
std::uint8_t EncodingFor(std::initializer_list<std::string_view> utf8Texts, std::uint8_t version);

} // namespace korvel

#pragma once
// A console font in the PC Screen Font format (PSF1 and PSF2, plain or gzip-compressed), as
// Debian ships them under /usr/share/consolefonts. Glyphs are found by character through the
// font's Unicode table; a font without one is taken to be in code page 437 order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvel {

class PsfFont {
public:
    // Parses the bytes of a font file (gzip or not); nothing, with *error set, when they are not
    // a font this reader takes (glyphs up to 32 pixels each way).
    static std::optional<PsfFont> parse(std::string_view bytes, std::string* error = nullptr);
    static std::optional<PsfFont> load(const std::string& path, std::string* error = nullptr);

    // The first font of the usual 8x16 DOS-like console fonts found in the system's font folders
    // (/usr/share/consolefonts, /usr/share/kbd/consolefonts), or an empty text.
    static std::string findDefault();

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t glyphCount() const { return glyphCount_; }
    bool hasUnicodeTable() const { return !map_.empty(); }

    // The glyph index for a character: the font's own, else a stand-in (U+FFFD, "?").
    std::uint32_t glyphFor(char32_t c) const;
    // Whether the font has a glyph of its own for the character.
    bool covers(char32_t c) const;
    // One row of a glyph as bits, the leftmost pixel in bit 31.
    std::uint32_t row(std::uint32_t glyph, int y) const { return rows_[glyph * height_ + y]; }

private:
    std::optional<std::uint32_t> find(char32_t c) const;

    int width_ = 8;
    int height_ = 16;
    std::size_t glyphCount_ = 0;
    std::vector<std::uint32_t> rows_;
    std::unordered_map<char32_t, std::uint32_t> map_;
    std::uint32_t fallback_ = 0;
};

} // namespace korvel

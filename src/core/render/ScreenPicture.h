#pragma once
// A character-cell screen drawn as a picture of the DOS screen: each cell a glyph of a console
// font in its foreground colour on its background colour. Cells are the font's width (8), or 9
// pixels wide as the VGA card drew them: the ninth column blank, except for the line-drawing
// characters 0xC0-0xDF of code page 437, which carry their eighth column on into it.

#include "core/render/CellScreen.h"
#include "core/render/PsfFont.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// The 16 DOS colours as 0xRRGGBB, in the screen's index order.
const std::array<std::uint32_t, 16>& dosPalette();

// One byte per pixel, each an index into dosPalette().
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The picture of the screen: screen width x cell width pixels wide, rows x font height high (at
// least one row, at most maxRows). `nineColumns` widens 8-pixel glyphs to 9-pixel cells.
IndexedPicture drawScreen(const CellScreen& screen, const PsfFont& font, bool nineColumns = false,
                          int maxRows = static_cast<int>(CellScreen::kMaxCells));

// A PNG file (4-bit palette, zlib) of the picture.
std::string encodePng(const IndexedPicture& picture);

// The PNG file of the screen's picture, drawn and compressed one row of cells at a time (what
// drawScreen and encodePng give, without holding the whole picture).
std::string screenPng(const CellScreen& screen, const PsfFont& font, bool nineColumns = false);

} // namespace korvel

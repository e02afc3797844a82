#pragma once
// A DOS text screen as character cells: each cell a character and its foreground and background
// colour (indexes 0-15 of the 16 DOS colours, in ANSI order: black, red, green, brown, blue,
// magenta, cyan, light grey, then the bright eight). The screen is as wide as it was made and
// grows downwards as text is put on it, up to a bound that keeps hostile input small.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvel {

struct Cell {
    char32_t ch = U' ';
    std::uint8_t fg = 7;
    std::uint8_t bg = 0;
    bool operator==(const Cell&) const = default;
};

class CellScreen {
public:
    static constexpr int kMaxWidth = 1024;
    static constexpr std::size_t kMaxCells = std::size_t{1} << 20; // 1 Mi cells: 13,107 rows of 80

    // A width outside 1..kMaxWidth is brought into it.
    explicit CellScreen(int width = 80);

    int width() const { return width_; }
    // Rows in use: up to the lowest row a character was put on (cursor moves and line ends
    // alone add none, as a DOS screen capture ends at its last character).
    int height() const { return used_; }
    // The most rows a screen of this width may have.
    int maxRows() const { return maxRows_; }

    // The cell at column x, row y; a blank cell outside the screen.
    const Cell& at(int x, int y) const;
    // Puts a cell; false when (x, y) is outside the width or beyond maxRows().
    bool put(int x, int y, const Cell& c);
    // Blanks the cells [x0, x1) of row y with `blank`.
    void clear(int y, int x0, int x1, const Cell& blank);
    // Blanks every cell in use.
    void clearAll(const Cell& blank);

private:
    // Makes room for rows 0..y (within maxRows()).
    void reach(int y);

    int width_;
    int height_ = 0; // rows held
    int used_ = 0;   // rows in use
    int maxRows_;
    std::vector<Cell> cells_;
};

} // namespace korvel

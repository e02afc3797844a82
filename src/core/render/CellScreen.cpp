#include "core/render/CellScreen.h"

#include <algorithm>

namespace korvel {

CellScreen::CellScreen(int width)
    : width_(std::clamp(width, 1, kMaxWidth)), maxRows_(static_cast<int>(kMaxCells / width_)) {}

const Cell& CellScreen::at(int x, int y) const {
    static const Cell blank;
    if (x < 0 || y < 0 || x >= width_ || y >= used_)
        return blank;
    return cells_[static_cast<std::size_t>(y) * width_ + x];
}

void CellScreen::reach(int y) {
    if (y < height_)
        return;
    if (y >= maxRows_)
        y = maxRows_ - 1;
    height_ = y + 1;
    cells_.resize(static_cast<std::size_t>(height_) * width_);
}

bool CellScreen::put(int x, int y, const Cell& c) {
    if (x < 0 || y < 0 || x >= width_ || y >= maxRows_)
        return false;
    reach(y);
    used_ = std::max(used_, y + 1);
    cells_[static_cast<std::size_t>(y) * width_ + x] = c;
    return true;
}

void CellScreen::clear(int y, int x0, int x1, const Cell& blank) {
    if (y < 0 || y >= height_)
        return;
    x0 = std::clamp(x0, 0, width_);
    x1 = std::clamp(x1, 0, width_);
    auto row = cells_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill(row + x0, row + std::max(x0, x1), blank);
}

void CellScreen::clearAll(const Cell& blank) {
    std::fill(cells_.begin(), cells_.end(), blank);
}

} // namespace korvel

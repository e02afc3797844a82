#include "core/render/AnsiInterpreter.h"

#include <algorithm>
#include <array>

namespace korvel {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kEndOfFile = 0x1A;
constexpr int kMaxParams = 16;
constexpr long long kEraseBudget = 64ll << 20; // cells

class Player {
public:
    Player(CellScreen& screen, const AnsiOptions& o) : s_(screen), ice_(o.iceColors), page_(o.page) {}

    void play(std::string_view t) {
        std::size_t i = 0;
        while (i < t.size()) {
            const char ch = t[i];
            if (ch == kEndOfFile)
                break;
            if (ch == kEsc && i + 1 < t.size() && t[i + 1] == '[') {
                i = sequence(t, i + 2);
                continue;
            }
            switch (ch) {
            case '\r':
                x_ = 0;
                ++i;
                continue;
            case '\n':
                x_ = 0;
                down(1);
                ++i;
                continue;
            case '\t':
                x_ = std::min((x_ / 8 + 1) * 8, s_.width() - 1);
                ++i;
                continue;
            default:
                break;
            }
            const char32_t c = decodeNext(page_, t, i);
            write(c);
        }
    }

private:
    Cell current(char32_t ch) const {
        std::uint8_t fg = static_cast<std::uint8_t>(fg_ | (bold_ ? 8 : 0));
        std::uint8_t bg = static_cast<std::uint8_t>(bg_ | (blink_ && ice_ ? 8 : 0));
        if (reverse_)
            std::swap(fg, bg);
        return Cell{ch, fg, bg};
    }

    // A character in the last column moves the cursor to the next line's start at once, as the
    // DOS screen did: a line of exactly 80 characters followed by CR LF leaves an empty line.
    void write(char32_t c) {
        s_.put(x_, y_, current(c));
        if (++x_ >= s_.width()) {
            x_ = 0;
            down(1);
        }
    }

    // Moving alone makes no room: only a character put on a row does.
    void down(int n) { y_ = std::min(y_ + n, s_.maxRows() - 1); }

    // Reads the sequence whose parameters start at t[i]; returns the index after it.
    std::size_t sequence(std::string_view t, std::size_t i) {
        std::array<int, kMaxParams> p{};
        int count = 0;
        bool any = false;
        for (; i < t.size(); ++i) {
            const char ch = t[i];
            if (ch >= '0' && ch <= '9') {
                if (count < kMaxParams)
                    p[count] = std::min(p[count] * 10 + (ch - '0'), 99999);
                any = true;
            } else if (ch == ';') {
                if (count < kMaxParams)
                    ++count;
                any = true;
            } else if (ch >= 0x40 && ch <= 0x7E) {
                if (any && count < kMaxParams)
                    ++count;
                perform(ch, p, count);
                return i + 1;
            } else if (ch < 0x20 || ch > 0x3F) {
                return i; // not a sequence after all: the byte is text again
            }
        }
        return i;
    }

    static int arg(const std::array<int, kMaxParams>& p, int count, int k, int fallback) {
        return k < count && p[k] > 0 ? p[k] : fallback;
    }

    void perform(char final, const std::array<int, kMaxParams>& p, int count) {
        const int n = arg(p, count, 0, 1);
        switch (final) {
        case 'A':
            y_ = std::max(0, y_ - n);
            break;
        case 'B':
            down(n);
            break;
        case 'C':
            x_ = std::min(x_ + n, s_.width() - 1);
            break;
        case 'D':
            x_ = std::max(0, std::min(x_, s_.width() - 1) - n);
            break;
        case 'H':
        case 'f':
            y_ = 0;
            down(arg(p, count, 0, 1) - 1);
            x_ = std::min(arg(p, count, 1, 1) - 1, s_.width() - 1);
            break;
        case 's':
            savedX_ = x_, savedY_ = y_;
            break;
        case 'u':
            x_ = savedX_, y_ = savedY_;
            break;
        case 'J':
            clearScreen(count > 0 ? p[0] : 0);
            break;
        case 'K':
            clearLine(count > 0 ? p[0] : 0);
            break;
        case 'm':
            sgr(p, count);
            break;
        default:
            break;
        }
    }

    // Erasing costs what it touches; a text that erases more cells than kEraseBudget in all has
    // its further erases skipped, so no input makes the screen slow to build.
    bool spend(long long cells) {
        erased_ += cells;
        return erased_ <= kEraseBudget;
    }

    void clearScreen(int mode) {
        const Cell blank = current(U' ');
        const long long rows = std::max(0, s_.height() - (mode == 0 ? y_ : 0));
        if (!spend(rows * s_.width()))
            return;
        if (mode == 2) {
            s_.clearAll(blank);
            x_ = y_ = 0;
        } else if (mode == 0) {
            s_.clear(y_, x_, s_.width(), blank);
            for (int y = y_ + 1; y < s_.height(); ++y)
                s_.clear(y, 0, s_.width(), blank);
        } else if (mode == 1) {
            for (int y = 0; y < y_; ++y)
                s_.clear(y, 0, s_.width(), blank);
            s_.clear(y_, 0, x_ + 1, blank);
        }
    }

    void clearLine(int mode) {
        const Cell blank = current(U' ');
        if (!spend(s_.width()))
            return;
        if (mode == 0)
            s_.clear(y_, x_, s_.width(), blank);
        else if (mode == 1)
            s_.clear(y_, 0, x_ + 1, blank);
        else if (mode == 2)
            s_.clear(y_, 0, s_.width(), blank);
    }

    void sgr(const std::array<int, kMaxParams>& p, int count) {
        if (count == 0)
            count = 1; // ESC[m is ESC[0m
        for (int k = 0; k < count; ++k) {
            const int v = p[k];
            if (v == 0) {
                fg_ = 7, bg_ = 0;
                bold_ = blink_ = reverse_ = false;
            } else if (v == 1) {
                bold_ = true;
            } else if (v == 5 || v == 6) {
                blink_ = true;
            } else if (v == 7) {
                reverse_ = true;
            } else if (v == 22) {
                bold_ = false;
            } else if (v == 25) {
                blink_ = false;
            } else if (v == 27) {
                reverse_ = false;
            } else if (v >= 30 && v <= 37) {
                fg_ = static_cast<std::uint8_t>(v - 30);
            } else if (v == 39) {
                fg_ = 7;
            } else if (v >= 40 && v <= 47) {
                bg_ = static_cast<std::uint8_t>(v - 40);
            } else if (v == 49) {
                bg_ = 0;
            } else if (v >= 90 && v <= 97) {
                fg_ = static_cast<std::uint8_t>(v - 90 + 8);
            } else if (v >= 100 && v <= 107) {
                bg_ = static_cast<std::uint8_t>(v - 100 + 8);
            }
        }
    }

    CellScreen& s_;
    bool ice_;
    CodePage page_;
    int x_ = 0, y_ = 0, savedX_ = 0, savedY_ = 0;
    long long erased_ = 0;
    std::uint8_t fg_ = 7, bg_ = 0;
    bool bold_ = false, blink_ = false, reverse_ = false;
};

} // namespace

bool hasAnsiSequences(std::string_view text) {
    for (std::size_t i = text.find(kEsc); i != std::string_view::npos; i = text.find(kEsc, i + 1))
        if (i + 1 < text.size() && text[i + 1] == '[')
            return true;
    return false;
}

CellScreen interpretAnsi(std::string_view text, const AnsiOptions& options) {
    CellScreen screen(options.width);
    Player(screen, options).play(text);
    return screen;
}

} // namespace korvel

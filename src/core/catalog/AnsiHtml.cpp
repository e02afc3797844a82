#include "core/catalog/AnsiHtml.h"

#include "core/catalog/CatalogText.h"

#include <vector>

namespace korvel::catalog {
namespace {

// ANSI colour numbers (black, red, green, yellow, blue, magenta, cyan, white) in the VGA palette.
constexpr const char* kPalette[16] = {"#000000", "#aa0000", "#00aa00", "#aa5500", "#0000aa", "#aa00aa",
                                      "#00aaaa", "#aaaaaa", "#555555", "#ff5555", "#55ff55", "#ffff55",
                                      "#5555ff", "#ff55ff", "#55ffff", "#ffffff"};

struct Attr {
    int fg = 7, bg = 0;
    bool bold = false, inverse = false;
    bool operator==(const Attr&) const = default;
    int shownFg() const {
        const int f = inverse ? bg : fg;
        return (bold && f < 8) ? f + 8 : f;
    }
    int shownBg() const { return inverse ? fg : bg; }
    bool plain() const { return shownFg() == 7 && shownBg() == 0; }
};

void applySgr(Attr& a, const std::vector<int>& params) {
    if (params.empty()) {
        a = Attr{};
        return;
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int p = params[i];
        if (p == 0)
            a = Attr{};
        else if (p == 1)
            a.bold = true;
        else if (p == 22)
            a.bold = false;
        else if (p == 7)
            a.inverse = true;
        else if (p == 27)
            a.inverse = false;
        else if (p >= 30 && p <= 37)
            a.fg = p - 30;
        else if (p == 39)
            a.fg = 7;
        else if (p >= 40 && p <= 47)
            a.bg = p - 40;
        else if (p == 49)
            a.bg = 0;
        else if (p >= 90 && p <= 97)
            a.fg = p - 90 + 8;
        else if (p >= 100 && p <= 107)
            a.bg = p - 100 + 8;
        else if ((p == 38 || p == 48) && i + 1 < params.size())
            i += params[i + 1] == 5 ? 2 : 4; // 256 colours and RGB: not in a DOS palette
    }
}

class HtmlRun {
public:
    HtmlRun(std::string& out, const ToUtf8& toUtf8) : out_(out), toUtf8_(toUtf8) {}
    void add(char c, const Attr& a) {
        if (!(a == attr_) && !pending_.empty())
            flush();
        attr_ = a;
        pending_ += c;
    }
    void flush() {
        if (pending_.empty())
            return;
        const bool span = !attr_.plain();
        if (span) {
            out_ += "<span class=\"f" + std::to_string(attr_.shownFg());
            if (attr_.shownBg() != 0)
                out_ += " b" + std::to_string(attr_.shownBg());
            out_ += "\">";
        }
        out_ += htmlEscape(toUtf8_(pending_));
        if (span)
            out_ += "</span>";
        pending_.clear();
    }

private:
    std::string& out_;
    const ToUtf8& toUtf8_;
    std::string pending_;
    Attr attr_;
};

} // namespace

std::string ansiToHtml(std::string_view t, const ToUtf8& toUtf8) {
    std::string out;
    HtmlRun run(out, toUtf8);
    Attr a;
    std::string lineBreak; // line ends go out uncoloured, so a background never spills
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '\x1B' && i + 1 < t.size() && t[i + 1] == '[') {
            std::size_t j = i + 2;
            std::vector<int> params;
            int cur = -1;
            while (j < t.size() && !(t[j] >= 0x40 && t[j] <= 0x7E)) {
                if (t[j] >= '0' && t[j] <= '9')
                    cur = std::min(9999, (cur < 0 ? 0 : cur * 10) + (t[j] - '0'));
                else if (t[j] == ';') {
                    params.push_back(cur < 0 ? 0 : cur);
                    cur = -1;
                }
                ++j;
            }
            if (cur >= 0 || !params.empty())
                params.push_back(cur < 0 ? 0 : cur);
            if (j < t.size() && t[j] == 'm')
                applySgr(a, params);
            else if (j < t.size() && t[j] == 'C')
                for (int k = 0; k < (params.empty() || params[0] == 0 ? 1 : std::min(params[0], 1000)); ++k)
                    run.add(' ', a);
            i = j;
            continue;
        }
        if (c == '\x1B' || c == '\0')
            continue;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
                ++i;
            run.flush();
            out += '\n';
            continue;
        }
        run.add(c, a);
    }
    run.flush();
    return out;
}

std::string ansiPaletteCss() {
    std::string css;
    for (int i = 0; i < 16; ++i) {
        css += ".f" + std::to_string(i) + "{color:" + kPalette[i] + "}";
        css += ".b" + std::to_string(i) + "{background:" + kPalette[i] + "}";
    }
    return css;
}

} // namespace korvel::catalog

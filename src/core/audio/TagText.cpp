#include "core/audio/TagText.h"

namespace korvel {

static bool isLow(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string TrimRight32(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && isLow(text[n - 1]))
        --n;
    return std::string(text.substr(0, n));
}

std::string Trim32(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && isLow(text[b]))
        ++b;
    return TrimRight32(text.substr(b));
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char ch : latin1) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToLatin1(std::string_view utf8, bool* lossy) {
    std::string out;
    out.reserve(utf8.size());
    bool lost = false;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        std::uint32_t cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : (c & 0x1F);
        bool ok = extra > 0 && i + extra < utf8.size();
        if (ok) {
            for (int k = 1; k <= extra; ++k) {
                auto d = static_cast<unsigned char>(utf8[i + k]);
                if ((d & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                cp = (cp << 6) | (d & 0x3F);
            }
        }
        if (ok && cp <= 0xFF) {
            out += static_cast<char>(cp);
            i += extra + 1;
        } else {
            out += '?';
            lost = true;
            i += ok ? extra + 1 : 1;
        }
    }
    if (lossy)
        *lossy = lost;
    return out;
}

std::string Utf16ToLatin1(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::size_t i = 0;
    if (bytes.size() >= 2) {
        if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
            bigEndian = false;
            i = 2;
        } else if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
            bigEndian = true;
            i = 2;
        }
    }
    std::string out;
    out.reserve(bytes.size() / 2);
    for (; i + 1 < bytes.size(); i += 2) {
        unsigned unit = bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            continue; // second half of a pair: the first half already gave its '?'
        out += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return out;
}

} // namespace korvel

namespace korvel {

namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr std::uint32_t Replacement = 0xFFFD;

// The next code point of a UTF-8 text at i (advanced past it); Replacement for a broken sequence
// (then i moves one byte on).
std::uint32_t nextCodePoint(std::string_view s, std::size_t& i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return Replacement;
    }
    std::uint32_t cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : (c & 0x1F);
    for (int k = 1; k <= extra; ++k) {
        auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((d & 0xC0) != 0x80) {
            ++i;
            return Replacement;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr std::uint32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

} // namespace

std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::size_t i = 0;
    if (bytes.size() >= 2) {
        if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
            bigEndian = false;
            i = 2;
        } else if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
            bigEndian = true;
            i = 2;
        }
    }
    auto unitAt = [&](std::size_t at) -> std::uint32_t {
        return bigEndian ? (bytes[at] << 8 | bytes[at + 1]) : (bytes[at + 1] << 8 | bytes[at]);
    };
    std::string out;
    out.reserve(bytes.size());
    for (; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            std::uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? Replacement : unit);
    }
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16(std::string_view utf8, bool bigEndian) {
    std::vector<std::uint8_t> out;
    out.reserve(utf8.size() * 2);
    auto put = [&](std::uint32_t unit) {
        auto hi = static_cast<std::uint8_t>(unit >> 8), lo = static_cast<std::uint8_t>(unit);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();)
        appendUtf8(out, nextCodePoint(bytes, i));
    return out;
}

bool FitsLatin1(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();)
        if (nextCodePoint(utf8, i) > 0xFF)
            return false;
    return true;
}

} // namespace korvel

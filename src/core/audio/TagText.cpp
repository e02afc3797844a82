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

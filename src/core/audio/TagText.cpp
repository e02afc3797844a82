#include "core/audio/TagText.h"

#include "core/text/Utf8.h"

namespace korvel {

namespace {

constexpr std::uint32_t Replacement = 0xFFFD;

bool isLow(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The next code point of a UTF-8 text at i (advanced past it); Replacement for a broken sequence
// (then i moves one byte on).
std::uint32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto seq = utf8::sequenceAt(s, i);
    if (seq.length == 0) {
        ++i;
        return Replacement;
    }
    i += seq.length;
    return seq.cp;
}

// The length of a leading byte order mark (0 or 2); a mark sets the byte order it names.
std::size_t byteOrderMark(std::span<const std::uint8_t> bytes, bool& bigEndian) {
    if (bytes.size() >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        bigEndian = bytes[0] == 0xFE;
        return 2;
    }
    return 0;
}

std::uint32_t unitAt(std::span<const std::uint8_t> bytes, std::size_t at, bool bigEndian) {
    return bigEndian ? (bytes[at] << 8 | bytes[at + 1]) : (bytes[at + 1] << 8 | bytes[at]);
}

} // namespace

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

std::string Utf8ToLatin1(std::string_view utf8, bool* lossy) {
    std::string out;
    out.reserve(utf8.size());
    bool lost = false;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint32_t cp = nextCodePoint(utf8, i);
        const bool fits = cp <= 0xFF;
        out += fits ? static_cast<char>(cp) : '?';
        lost = lost || !fits;
    }
    if (lossy)
        *lossy = lost;
    return out;
}

std::string Utf16ToLatin1(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::size_t i = byteOrderMark(bytes, bigEndian);
    std::string out;
    out.reserve(bytes.size() / 2);
    for (; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(bytes, i, bigEndian);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            continue; // second half of a pair: the first half already gave its '?'
        out += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return out;
}

std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::size_t i = byteOrderMark(bytes, bigEndian);
    std::string out;
    out.reserve(bytes.size());
    for (; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = unitAt(bytes, i, bigEndian);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            std::uint32_t low = unitAt(bytes, i + 2, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                utf8::append(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        utf8::append(out, unit >= 0xD800 && unit <= 0xDFFF ? Replacement : unit);
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
        utf8::append(out, nextCodePoint(bytes, i));
    return out;
}

bool FitsLatin1(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();)
        if (nextCodePoint(utf8, i) > 0xFF)
            return false;
    return true;
}

} // namespace korvel

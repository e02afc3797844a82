#include "core/lang/LanguageText.h"

namespace korvel::lang {
namespace {

// Length of the sequence a lead byte opens, 0 for a byte that cannot lead.
std::size_t sequenceLength(unsigned char c) {
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = sequenceLength(c);
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if (!isContinuation(static_cast<unsigned char>(s[i + k])))
                return false;
        if (n >= 3) {
            auto c1 = static_cast<unsigned char>(s[i + 1]);
            if (c == 0xE0 && c1 < 0xA0) // overlong three-byte form
                return false;
            if (c == 0xED && c1 >= 0xA0) // UTF-16 surrogate
                return false;
            if (c == 0xF0 && c1 < 0x90) // overlong four-byte form
                return false;
            if (c == 0xF4 && c1 >= 0x90) // above U+10FFFF
                return false;
        }
        i += n;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string windows1252ToUtf8(std::string_view s) {
    static constexpr char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        const char16_t u = c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string_view withoutCutSequence(std::string_view s) {
    // Look back at most three bytes for the lead byte of the last sequence.
    std::size_t back = 0;
    while (back < s.size() && back < 4) {
        auto c = static_cast<unsigned char>(s[s.size() - 1 - back]);
        if (!isContinuation(c)) {
            std::size_t n = sequenceLength(c);
            if (n > back + 1)
                s.remove_suffix(back + 1);
            return s;
        }
        ++back;
    }
    return s;
}

} // namespace korvel::lang

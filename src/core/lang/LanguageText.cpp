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

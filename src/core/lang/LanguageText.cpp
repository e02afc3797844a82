#include "core/lang/LanguageText.h"

#include "core/render/CodePage.h"
#include "core/text/Utf8.h"

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

std::string windows1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s)
        utf8::append(out, pageChar(CodePage::Windows1252, static_cast<unsigned char>(ch)));
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

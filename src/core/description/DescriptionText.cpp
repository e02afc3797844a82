#include "core/description/DescriptionText.h"

#include <algorithm>
#include <cstring>

namespace korvel {
namespace {

std::string displayToDescriptionIn(std::u32string_view text, CodePage page, std::size_t* unmappable,
                                   std::optional<char32_t>* firstMissing);

} // namespace

std::u32string descriptionToDisplay(std::string_view bytes) {
    return descriptionToDisplay(bytes, CodePage::Cp437);
}

std::u32string descriptionToDisplay(std::string_view bytes, CodePage page) {
    const char32_t loneCr = page == CodePage::Utf8 ? char32_t(0x240D) : kLoneCarriageReturn;
    std::u32string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out.push_back(kLineEnd);
            ++i;
        } else if (b == '\n') {
            out.push_back(kLoneLineFeed);
        } else if (b == '\r') {
            out.push_back(loneCr);
        } else if (b == 0) {
            out.push_back(kNulByte);
        } else {
            out.push_back(decodeNext(page, bytes, i));
            --i; // the loop steps past the character's last byte
        }
    }
    return out;
}

std::string displayToDescription(std::u32string_view text, std::size_t* unmappable) {
    return displayToDescriptionIn(text, CodePage::Cp437, unmappable, nullptr);
}

std::string displayToDescription(std::u32string_view text, CodePage page,
                                 std::optional<char32_t>* firstMissing) {
    if (firstMissing)
        firstMissing->reset();
    return displayToDescriptionIn(text, page, nullptr, firstMissing);
}

namespace {

std::string displayToDescriptionIn(std::u32string_view text, CodePage page, std::size_t* unmappable,
                                   std::optional<char32_t>* firstMissing) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U'\r' && i + 1 < text.size() &&
            (text[i + 1] == kLineEnd || text[i + 1] == kParagraphSeparator))
            continue; // the line end that follows writes the CR
        if (c == kLineEnd || c == kParagraphSeparator) {
            out += "\r\n";
        } else if (c == kLoneLineFeed) {
            out.push_back('\n');
        } else if (c == kNulByte) {
            out.push_back('\0');
        } else if (!encodeChar(page, c, out)) {
            out.push_back('?');
            if (unmappable)
                ++*unmappable;
            if (firstMissing && !*firstMissing)
                *firstMissing = c;
        }
    }
    return out;
}

} // namespace

void PrintCapture::add(const char* piece, std::size_t length) {
    if (!piece || length == 0)
        return;
    std::string_view s(piece, length);
    if (s.empty())
        return;
    const bool atLineStart =
        text_.empty() || text_.back() == '\n' || (text_.back() == '\r' && s.front() == '\n');
    if (!atLineStart)
        append("\r\n");
    append(s);
}

void PrintCapture::append(std::string_view s) {
    const std::size_t room = limit_ - std::min(limit_, text_.size());
    if (s.size() > room) {
        s = s.substr(0, room);
        truncated_ = true;
    }
    text_.append(s);
}

} // namespace korvel

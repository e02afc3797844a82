#include "core/render/DescriptionRender.h"

#include "core/text/Utf8.h"

namespace korvel {

DescriptionLayout layOutDescription(std::string_view bytes, const RenderChoice& choice) {
    DescriptionLayout l;
    l.parts = splitSauce(bytes);
    l.page = pageForText(l.parts.text, choice.page, choice.detectUtf8);
    l.ansi = hasAnsiSequences(l.parts.text);
    l.ansiOptions.page = l.page;
    l.nineColumns = choice.nineColumns;
    if (l.parts.record) {
        if (auto w = l.parts.record->width())
            l.ansiOptions.width = *w;
        l.ansiOptions.iceColors = l.parts.record->iceColors();
        if (l.parts.record->letterSpacing() == 2)
            l.nineColumns = true;
    }
    return l;
}

CellScreen describeScreen(const DescriptionLayout& layout) {
    return interpretAnsi(layout.parts.text, layout.ansiOptions);
}

std::string screenAsUtf8(const CellScreen& screen) {
    std::string out;
    for (int y = 0; y < screen.height(); ++y) {
        int end = screen.width();
        while (end > 0 && (screen.at(end - 1, y).ch == U' ' || screen.at(end - 1, y).ch == 0))
            --end;
        for (int x = 0; x < end; ++x) {
            const char32_t c = screen.at(x, y).ch;
            utf8::append(out, c == 0 ? U' ' : c);
        }
        out.push_back('\n');
    }
    return out;
}

std::string descriptionAsUtf8(const DescriptionLayout& layout) {
    if (layout.ansi)
        return screenAsUtf8(describeScreen(layout));
    const std::string_view t = layout.parts.text;
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size();) {
        if (t[i] == 0x1A)
            break;
        if (t[i] == 0) {
            ++i;
            continue;
        }
        utf8::append(out, decodeNext(layout.page, t, i));
    }
    return out;
}

std::string sauceFieldLines(const SauceSplit& parts) {
    if (!parts.record)
        return {};
    const SauceRecord& r = *parts.record;
    // The fields are DOS text: shown through code page 437.
    auto text = [](const std::string& s) {
        std::string out;
        for (std::size_t i = 0; i < s.size();)
            utf8::append(out, decodeNext(CodePage::Cp437, s, i));
        return out;
    };
    std::string out;
    out += "Title: " + text(r.title) + "\n";
    out += "Author: " + text(r.author) + "\n";
    out += "Group: " + text(r.group) + "\n";
    out += "Date: " + text(r.displayDate()) + "\n";
    out += "Width: " + (r.width() ? std::to_string(*r.width()) : std::string()) + "\n";
    out += "Font: " + text(r.fontName) + "\n";
    out += std::string("iCE colours: ") + (r.iceColors() ? "yes" : "no") + "\n";
    for (const auto& c : r.comments)
        out += "Comment: " + text(c) + "\n";
    return out;
}

} // namespace korvel

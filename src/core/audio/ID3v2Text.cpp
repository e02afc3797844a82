#include "core/audio/ID3v2Text.h"

#include "core/audio/TagText.h"
#include "core/text/Utf8.h"

#include <algorithm>

namespace korvel {

namespace {

std::string decode(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (encoding) {
    case 1:
        return Utf16ToUtf8(bytes, false);
    case 2:
        return Utf16ToUtf8(bytes, true);
    case 3:
        return ValidUtf8(raw);
    default:
        return utf8::fromLatin1(raw);
    }
}

std::size_t unitOf(std::uint8_t encoding) {
    return encoding == 1 || encoding == 2 ? 2 : 1;
}

// Where the first terminator of an encoded text starts (the text's size when there is none).
std::size_t terminatorAt(std::span<const std::uint8_t> bytes, std::size_t unit) {
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit)
        if (bytes[i] == 0 && (unit == 1 || bytes[i + 1] == 0))
            return i;
    return bytes.size();
}

void appendEncoded(std::vector<std::uint8_t>& out, std::string_view utf8, std::uint8_t encoding) {
    if (encoding == 0) {
        bool lossy = false;
        std::string latin1 = Utf8ToLatin1(utf8, &lossy);
        out.insert(out.end(), latin1.begin(), latin1.end());
    } else if (encoding == 1) {
        out.push_back(0xFF); // byte order mark, little-endian
        out.push_back(0xFE);
        auto units = Utf8ToUtf16(utf8, false);
        out.insert(out.end(), units.begin(), units.end());
    } else {
        std::string valid = ValidUtf8(utf8);
        out.insert(out.end(), valid.begin(), valid.end());
    }
}

} // namespace

std::uint8_t EncodingFor(std::initializer_list<std::string_view> texts, std::uint8_t version) {
    bool latin1 = std::all_of(texts.begin(), texts.end(), [](std::string_view t) { return FitsLatin1(t); });
    if (latin1)
        return 0;
    return version >= 4 ? 3 : 1;
}

std::vector<std::string> DecodeTextFrame(std::span<const std::uint8_t> content) {
    std::vector<std::string> values;
    if (content.empty())
        return values;
    std::uint8_t enc = content[0];
    if (enc > 3) // no encoding byte: the whole frame is text
        return {utf8::fromLatin1(
            std::string_view(reinterpret_cast<const char*>(content.data()), content.size()))};
    std::size_t unit = unitOf(enc);
    auto rest = content.subspan(1);
    while (!rest.empty()) {
        std::size_t end = terminatorAt(rest, unit);
        if (end > 0) // zero filling after the text is no value
            values.push_back(decode(enc, rest.first(end)));
        rest = rest.subspan(std::min(rest.size(), end + unit));
    }
    return values;
}

std::vector<std::uint8_t> EncodeTextFrame(std::string_view utf8, std::uint8_t version) {
    std::uint8_t enc = EncodingFor({utf8}, version);
    std::vector<std::uint8_t> out{enc};
    appendEncoded(out, utf8, enc);
    return out;
}

std::optional<ID3v2Comment> DecodeComment(std::span<const std::uint8_t> content) {
    if (content.size() < 4)
        return std::nullopt;
    ID3v2Comment c;
    std::uint8_t enc = content[0];
    c.Language.assign(reinterpret_cast<const char*>(content.data() + 1), 3);
    auto rest = content.subspan(4);
    std::size_t unit = unitOf(enc);
    std::size_t end = terminatorAt(rest, unit);
    c.Description = decode(enc, rest.first(end));
    if (end < rest.size()) {
        auto text = rest.subspan(std::min(rest.size(), end + unit));
        c.Text = decode(enc, text.first(terminatorAt(text, unit)));
    }
    return c;
}

std::vector<std::uint8_t> EncodeComment(const ID3v2Comment& c, std::uint8_t version) {
    std::uint8_t enc = EncodingFor({c.Description, c.Text}, version);
    std::vector<std::uint8_t> out{enc};
    std::string lang = c.Language;
    lang.resize(3, ' ');
    out.insert(out.end(), lang.begin(), lang.end());
    appendEncoded(out, c.Description, enc);
    out.insert(out.end(), unitOf(enc), 0);
    appendEncoded(out, c.Text, enc);
    return out;
}

} // namespace korvel

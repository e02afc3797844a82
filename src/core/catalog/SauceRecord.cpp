#include "core/catalog/SauceRecord.h"

namespace korvel::catalog {
namespace {

constexpr std::size_t kRecord = 128, kCommentLine = 64;

std::string field(std::string_view rec, std::size_t at, std::size_t len) {
    std::string_view f = rec.substr(at, len);
    const auto nul = f.find('\0');
    if (nul != std::string_view::npos)
        f = f.substr(0, nul);
    while (!f.empty() && f.back() == ' ')
        f.remove_suffix(1);
    return std::string(f);
}

std::uint32_t little(std::string_view rec, std::size_t at, std::size_t len) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < len; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(rec[at + i])) << (8 * i);
    return v;
}

} // namespace

SauceSplit splitSauce(std::string_view bytes) {
    SauceSplit s{bytes, std::nullopt};
    if (bytes.size() < kRecord)
        return s;
    const std::string_view rec = bytes.substr(bytes.size() - kRecord);
    if (!rec.starts_with("SAUCE00"))
        return s;
    SauceRecord r;
    r.title = field(rec, 7, 35);
    r.author = field(rec, 42, 20);
    r.group = field(rec, 62, 20);
    r.date = field(rec, 82, 8);
    r.fileSize = little(rec, 90, 4);
    r.dataType = static_cast<std::uint8_t>(rec[94]);
    r.fileType = static_cast<std::uint8_t>(rec[95]);
    for (int i = 0; i < 4; ++i)
        r.tInfo[i] = static_cast<std::uint16_t>(little(rec, 96 + 2 * static_cast<std::size_t>(i), 2));
    const std::size_t lines = static_cast<unsigned char>(rec[104]);
    r.flags = static_cast<std::uint8_t>(rec[105]);
    r.font = field(rec, 106, 22);
    std::size_t textEnd = bytes.size() - kRecord;
    const std::size_t block = 5 + lines * kCommentLine;
    if (lines > 0 && textEnd >= block && bytes.substr(textEnd - block, 5) == "COMNT") {
        for (std::size_t i = 0; i < lines; ++i)
            r.comments.push_back(field(bytes, textEnd - block + 5 + i * kCommentLine, kCommentLine));
        textEnd -= block;
    }
    if (textEnd > 0 && bytes[textEnd - 1] == '\x1A')
        --textEnd;
    s.text = bytes.substr(0, textEnd);
    s.record = std::move(r);
    return s;
}

} // namespace korvel::catalog

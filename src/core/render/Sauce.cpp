#include "core/render/Sauce.h"

#include <cstring>

namespace korvel {
namespace {

constexpr std::size_t kRecordSize = 128;
constexpr std::size_t kCommentLine = 64;
constexpr std::string_view kRecordId = "SAUCE00";
constexpr std::string_view kCommentId = "COMNT";
constexpr char kEndOfFile = 0x1A;

std::string field(std::string_view record, std::size_t offset, std::size_t size) {
    std::string_view s = record.substr(offset, size);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    if (auto nul = s.find('\0'); nul != std::string_view::npos)
        s = s.substr(0, nul);
    return std::string(s);
}

std::uint32_t littleEndian(std::string_view record, std::size_t offset, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = size; i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(record[offset + i]);
    return v;
}

} // namespace

std::optional<int> SauceRecord::width() const {
    if (dataType == 1 && tInfo1 > 0) // character: ASCII, ANSI, ANSiMation, ...
        return tInfo1;
    if (dataType == 5 && fileType > 0) // binary text
        return fileType * 2;
    return std::nullopt;
}

std::string SauceRecord::displayDate() const {
    if (date.size() == 8 && date.find_first_not_of("0123456789") == std::string::npos)
        return date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2);
    return date;
}

SauceSplit splitSauce(std::string_view bytes) {
    SauceSplit out{bytes, {}, std::nullopt};
    if (bytes.size() < kRecordSize)
        return out;
    const std::size_t at = bytes.size() - kRecordSize;
    const std::string_view r = bytes.substr(at);
    if (r.substr(0, kRecordId.size()) != kRecordId)
        return out;

    SauceRecord rec;
    rec.title = field(r, 7, 35);
    rec.author = field(r, 42, 20);
    rec.group = field(r, 62, 20);
    rec.date = field(r, 82, 8);
    rec.fileSize = littleEndian(r, 90, 4);
    rec.dataType = static_cast<std::uint8_t>(r[94]);
    rec.fileType = static_cast<std::uint8_t>(r[95]);
    rec.tInfo1 = static_cast<std::uint16_t>(littleEndian(r, 96, 2));
    rec.tInfo2 = static_cast<std::uint16_t>(littleEndian(r, 98, 2));
    rec.tInfo3 = static_cast<std::uint16_t>(littleEndian(r, 100, 2));
    rec.tInfo4 = static_cast<std::uint16_t>(littleEndian(r, 102, 2));
    const auto commentCount = static_cast<unsigned char>(r[104]);
    rec.flags = static_cast<std::uint8_t>(r[105]);
    rec.fontName = field(r, 106, 22);

    std::size_t tailStart = at;
    if (commentCount > 0) {
        const std::size_t blockSize = kCommentId.size() + commentCount * kCommentLine;
        if (blockSize <= at && bytes.substr(at - blockSize, kCommentId.size()) == kCommentId) {
            tailStart = at - blockSize;
            for (std::size_t i = 0; i < commentCount; ++i)
                rec.comments.push_back(
                    field(bytes, tailStart + kCommentId.size() + i * kCommentLine, kCommentLine));
        }
    }
    if (tailStart > 0 && bytes[tailStart - 1] == kEndOfFile)
        --tailStart;
    out.text = bytes.substr(0, tailStart);
    out.tail = bytes.substr(tailStart);
    out.record = std::move(rec);
    return out;
}

} // namespace korvel

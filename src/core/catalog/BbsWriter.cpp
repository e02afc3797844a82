// The FILES.BBS list: per archive one line "NAME SIZE DATE first description line", the further
// lines indented to the description column, CR LF line ends.
#include "core/catalog/CatalogText.h"
#include "core/catalog/CatalogWriters.h"
#include "core/catalog/DescriptionBody.h"
#include "core/text/Cp437.h"

#include <ctime>

namespace korvel::catalog {
namespace {

constexpr std::size_t kNameWidth = 12, kSizeWidth = 8;
constexpr std::size_t kDescriptionColumn = kNameWidth + 1 + kSizeWidth + 1 + 8 + 2;

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The name in the file's encoding, and how many columns it takes.
std::string nameText(const std::string& name, bool utf8, std::size_t& width) {
    const std::string u = nameToUtf8(name);
    if (utf8) {
        width = characters(u);
        return u;
    }
    std::u32string wide;
    for (std::size_t i = 0; i < u.size();) {
        const unsigned char c = static_cast<unsigned char>(u[i]);
        const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < len && i + static_cast<std::size_t>(k) < u.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(u[i + static_cast<std::size_t>(k)]) & 0x3F);
        wide += cp;
        i += static_cast<std::size_t>(len);
    }
    std::string bytes = cp437::encode(wide, '_');
    width = bytes.size();
    return bytes;
}

std::string dosDate(std::int64_t mtimeNs) {
    const std::time_t t = static_cast<std::time_t>(mtimeNs / 1000000000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%m-%d-%y", &tm);
    return buf;
}

} // namespace

std::string writeBbs(const std::vector<CatalogEntry>& entries, const WriteOptions& o) {
    std::string out;
    const std::string indent(kDescriptionColumn, ' ');
    for (const CatalogEntry& e : entries) {
        std::size_t width = 0;
        std::string line = nameText(e.file.name, o.bbsUtf8, width);
        line.append(width < kNameWidth ? kNameWidth - width : 0, ' ');
        const std::string size = std::to_string(e.file.size);
        line += ' ';
        line.append(size.size() < kSizeWidth ? kSizeWidth - size.size() : 0, ' ');
        line += size + ' ' + dosDate(e.file.mtimeNs) + "  ";

        std::vector<std::string> lines;
        if (e.finding.status == FindStatus::Found) {
            lines = plainLines(descriptionBody(e.finding.bytes).text);
            if (lines.empty())
                lines.push_back("(empty description)");
            else if (o.bbsUtf8)
                for (auto& l : lines)
                    l = o.text.toUtf8(l);
        } else {
            lines.push_back(statusNote(e.finding));
        }
        const std::size_t shown = std::min(lines.size(), std::max<std::size_t>(o.maxLines, 1));
        for (std::size_t i = 0; i < shown; ++i) {
            out += i == 0 ? line : indent;
            out += lines[i];
            out += "\r\n";
        }
        if (shown < lines.size()) {
            const std::size_t rest = lines.size() - shown;
            out +=
                indent + "(" + std::to_string(rest) + (rest == 1 ? " more line)" : " more lines)") + "\r\n";
        }
    }
    return out;
}

} // namespace korvel::catalog

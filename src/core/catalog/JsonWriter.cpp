// JSON lines: one object per archive.
#include "core/catalog/CatalogText.h"
#include "core/catalog/CatalogWriters.h"
#include "core/catalog/DescriptionBody.h"
#include "core/text/Utf8.h"

#include <ctime>

namespace korvel::catalog {
namespace {

std::string isoTime(std::int64_t mtimeNs) {
    const std::time_t t = static_cast<std::time_t>(mtimeNs / 1000000000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        out += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        out += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return out;
}

void field(std::string& out, std::string_view key, const std::string& jsonValue) {
    out += out.size() > 1 ? ",\"" : "\"";
    out += key;
    out += "\":";
    out += jsonValue;
}

std::string plainText(std::string_view text, const ToUtf8& toUtf8) {
    std::string out;
    for (const auto& line : plainLines(text)) {
        out += toUtf8(line);
        out += '\n';
    }
    return out;
}

std::string sauceObject(const SauceRecord& s, const ToUtf8& toUtf8) {
    std::string o = "{";
    field(o, "title", jsonQuote(toUtf8(s.title)));
    field(o, "author", jsonQuote(toUtf8(s.author)));
    field(o, "group", jsonQuote(toUtf8(s.group)));
    field(o, "date", jsonQuote(toUtf8(s.date)));
    field(o, "file_size", std::to_string(s.fileSize));
    field(o, "data_type", std::to_string(s.dataType));
    field(o, "file_type", std::to_string(s.fileType));
    field(o, "tinfo",
          "[" + std::to_string(s.tInfo1) + "," + std::to_string(s.tInfo2) + "," + std::to_string(s.tInfo3) +
              "," + std::to_string(s.tInfo4) + "]");
    field(o, "flags", std::to_string(s.flags));
    field(o, "font", jsonQuote(toUtf8(s.fontName)));
    std::string c = "[";
    for (std::size_t i = 0; i < s.comments.size(); ++i)
        c += (i ? "," : "") + jsonQuote(toUtf8(s.comments[i]));
    field(o, "comments", c + "]");
    return o + "}";
}

} // namespace

std::string writeJson(const std::vector<CatalogEntry>& entries, const WriteOptions& o) {
    std::string out;
    for (const CatalogEntry& e : entries) {
        std::string line = "{";
        field(line, "path", jsonQuote(nameToUtf8(e.file.path)));
        if (!utf8::isValid(e.file.path))
            field(line, "path_bytes", jsonQuote(hex(e.file.path)));
        field(line, "name", jsonQuote(nameToUtf8(e.file.name)));
        field(line, "size", std::to_string(e.file.size));
        field(line, "modified", jsonQuote(isoTime(e.file.mtimeNs)));
        field(line, "format", jsonQuote(e.file.format));
        field(line, "status", jsonQuote(statusWord(e.finding.status)));
        if (e.finding.status == FindStatus::Found) {
            const DescriptionBody body = descriptionBody(e.finding.bytes);
            field(line, "member", jsonQuote(nameToUtf8(e.finding.member)));
            field(line, "description", jsonQuote(plainText(body.text, o.text.toUtf8)));
            field(line, "ansi", body.ansi ? "true" : "false");
            if (body.sauce)
                field(line, "sauce", sauceObject(*body.sauce, o.text.toUtf8));
        } else if (!e.finding.reason.empty()) {
            field(line, "reason", jsonQuote(nameToUtf8(e.finding.reason)));
        }
        out += line + "}\n";
    }
    return out;
}

} // namespace korvel::catalog

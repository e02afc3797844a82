#include "core/catalog/CatalogWriters.h"

#include "core/catalog/CatalogText.h"

namespace korvel::catalog {

std::optional<CatalogFormat> parseCatalogFormat(std::string_view word) {
    if (word == "bbs")
        return CatalogFormat::Bbs;
    if (word == "html")
        return CatalogFormat::Html;
    if (word == "json")
        return CatalogFormat::Json;
    return std::nullopt;
}

TextHooks defaultTextHooks() {
    TextHooks h;
    h.toUtf8 = cp437ToUtf8;
    return h;
}

std::string writeCatalog(CatalogFormat format, const std::vector<CatalogEntry>& entries,
                         const WriteOptions& options) {
    switch (format) {
    case CatalogFormat::Bbs:
        return writeBbs(entries, options);
    case CatalogFormat::Html:
        return writeHtml(entries, options);
    case CatalogFormat::Json:
        return writeJson(entries, options);
    }
    return {};
}

std::string statusNote(const Finding& f) {
    switch (f.status) {
    case FindStatus::Found:
        return {};
    case FindStatus::NoDescription:
        return "(no description)";
    case FindStatus::Unreadable:
        return "(unreadable: " + f.reason + ")";
    case FindStatus::Damaged:
        return "(damaged: " + f.reason + ")";
    case FindStatus::Encrypted:
        return "(encrypted: " + f.reason + ")";
    case FindStatus::Unsupported:
        return "(not read: " + f.reason + ")";
    }
    return {};
}

} // namespace korvel::catalog

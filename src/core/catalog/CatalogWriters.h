#pragma once
// The three kinds of catalogue, each written whole into a string in the order of the entries:
//   bbs   the FILES.BBS list of a file area: name, size, date and the description lines
//         indented under the first, at most a number of lines per archive and the rest noted;
//   html  one page with a table of contents, every archive with its description (in colour
//         where it has ANSI colours) and a search box that works without a server;
//   json  one JSON object per line and archive.
// What the descriptions' bytes mean is left to the text hooks: code page 437 by default.

#include "core/catalog/AnsiHtml.h"
#include "core/catalog/CatalogRun.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::catalog {

enum class CatalogFormat { Bbs, Html, Json };
std::optional<CatalogFormat> parseCatalogFormat(std::string_view word); // "bbs", "html", "json"

struct TextHooks {
    // The description's code page (the view's) to UTF-8.
    ToUtf8 toUtf8;
    // The HTML inside a description's box for its text (SAUCE already taken off). Empty: the
    // ANSI stream reading of AnsiHtml.h through toUtf8. The character-cell screen plugs in here.
    std::function<std::string(std::string_view text)> toHtml;
    // Extra CSS the HTML of toHtml needs (the default palette when toHtml is empty).
    std::string css;
};
TextHooks defaultTextHooks();

struct WriteOptions {
    TextHooks text = defaultTextHooks();
    std::size_t maxLines = 45;       // bbs: description lines per archive; the rest is noted
    bool bbsUtf8 = false;            // bbs: UTF-8 instead of the descriptions' own code page bytes
    std::string title = "Catalogue"; // html: the page's title (UTF-8)
};

std::string writeBbs(const std::vector<CatalogEntry>& entries, const WriteOptions& options);
std::string writeHtml(const std::vector<CatalogEntry>& entries, const WriteOptions& options);
std::string writeJson(const std::vector<CatalogEntry>& entries, const WriteOptions& options);
std::string writeCatalog(CatalogFormat format, const std::vector<CatalogEntry>& entries,
                         const WriteOptions& options);

// One line for an archive without a description shown: "(no description)", "(damaged: ...)",
// "(encrypted: ...)", "(unreadable: ...)", "(not read: ...)"; empty for a found one.
std::string statusNote(const Finding& f);

} // namespace korvel::catalog

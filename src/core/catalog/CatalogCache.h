#pragma once
// What the last run found, kept in a file beside the catalogue so that the next run over an
// unchanged tree looks up nothing: one record per archive, keyed by its path, size, modification
// time and format. A cache written under other lookup settings (another mode, other custom names,
// other formats read) is ignored whole; so is a file that is not a cache or is cut short.
// Archives that could not be read are not kept: the next run tries them again.

#include "core/catalog/CatalogRun.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace korvel::catalog {

class CatalogCache {
public:
    // The cache file that belongs to a catalogue file.
    static std::string fileFor(const std::string& output) { return output + ".korvel-cache"; }

    // The cache in `file` when it was written under `signature`; else an empty cache.
    static CatalogCache load(const std::string& file, const std::string& signature);
    // Writes the entries (through a temporary, renamed into place). False with `error` set when
    // the file could not be written.
    static bool save(const std::string& file, const std::string& signature,
                     const std::vector<CatalogEntry>& entries, std::string* error = nullptr);

    // The finding kept for this version of the archive, or nullptr.
    const Finding* lookup(const ArchiveFile& archive) const;
    std::size_t size() const { return records_.size(); }

private:
    struct Record {
        std::uint64_t size = 0;
        std::int64_t mtimeNs = 0;
        std::string format;
        Finding finding;
    };
    std::unordered_map<std::string, Record> records_;
};

} // namespace korvel::catalog

#pragma once
// A whole catalogue from folders to file, as korvel-cli and the window run it: walk the folders,
// take what the cache knows, look up the rest on every core, write the catalogue through a
// temporary renamed into place, keep the cache for next time.

#include "core/catalog/CatalogWriters.h"
#include "core/catalog/DescriptionSource.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace korvel::catalog {

struct CatalogJob {
    std::vector<std::string> folders;
    bool recursive = false;
    CatalogFormat format = CatalogFormat::Bbs;
    // The catalogue file; empty: the text is handed back instead (and no cache is kept).
    std::string output;
    bool useCache = true; // false: neither read nor write the cache file
    unsigned threads = 0; // 0: one per core
    WriteOptions write;
};

struct CatalogOutcome {
    bool written = false;              // the catalogue is complete (in `output`, or in `text`)
    bool stopped = false;              // stopped early: nothing was written, the cache keeps what was done
    std::string error;                 // the catalogue could not be written
    std::vector<std::string> problems; // folders that could not be read; the run went on
    std::string text;                  // the catalogue when no output file was named
    std::size_t archives = 0, described = 0, failed = 0, fromCache = 0;
};

CatalogOutcome runCatalogJob(const CatalogJob& job, const DescriptionSource& source,
                             const std::atomic<bool>* stop = nullptr,
                             const std::function<void(std::size_t done, std::size_t total)>& progress = {});

} // namespace korvel::catalog

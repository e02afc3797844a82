#pragma once
// One catalogue run: every archive's description looked up by a pool of workers, one per core,
// answered from the cache where the archive is unchanged. Results keep the walk's order.

#include "core/catalog/DescriptionSource.h"
#include "core/catalog/FolderWalk.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

namespace korvel::catalog {

class CatalogCache;

struct CatalogEntry {
    ArchiveFile file;
    Finding finding;
};

struct RunOptions {
    unsigned threads = 0;                    // 0: one per core
    const CatalogCache* cache = nullptr;     // answers for unchanged archives; none: look up every one
    const std::atomic<bool>* stop = nullptr; // set from anywhere to stop early
    // Called on the calling thread about ten times a second while the run lasts, and once at
    // its end, with the archives done so far and their total.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct RunResult {
    std::vector<CatalogEntry> entries; // all of them, or when stopped only those done
    std::size_t fromCache = 0;
    bool stopped = false;
};

RunResult runCatalog(std::vector<ArchiveFile> archives, const DescriptionSource& source,
                     const RunOptions& options);

} // namespace korvel::catalog

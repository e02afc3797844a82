#include "core/catalog/CatalogJob.h"

#include "core/catalog/CatalogCache.h"
#include "core/catalog/CatalogRun.h"
#include "core/catalog/FolderWalk.h"
#include "core/catalog/OutputFile.h"

namespace korvel::catalog {

CatalogOutcome runCatalogJob(const CatalogJob& job, const DescriptionSource& source,
                             const std::atomic<bool>* stop,
                             const std::function<void(std::size_t, std::size_t)>& progress) {
    CatalogOutcome out;
    const bool cached = job.useCache && !job.output.empty();
    const std::string cacheFile = job.output.empty() ? std::string() : CatalogCache::fileFor(job.output);

    WalkOptions walk;
    walk.recursive = job.recursive;
    if (!job.output.empty())
        walk.skip = {job.output, cacheFile};
    WalkResult found = walkFolders(job.folders, walk);
    out.problems = std::move(found.problems);

    const std::string signature = source.signature();
    const CatalogCache cache = cached ? CatalogCache::load(cacheFile, signature) : CatalogCache();
    RunOptions run;
    run.threads = job.threads;
    run.cache = cached ? &cache : nullptr;
    run.stop = stop;
    run.progress = progress;
    RunResult r = runCatalog(std::move(found.archives), source, run);
    out.fromCache = r.fromCache;
    out.archives = r.entries.size();
    for (const auto& e : r.entries) {
        out.described += e.finding.status == FindStatus::Found;
        out.failed += e.finding.status != FindStatus::Found && e.finding.status != FindStatus::NoDescription;
    }
    if (r.stopped || (stop && stop->load())) {
        // What was looked up so far is not lost: the next run starts from there.
        if (cached)
            CatalogCache::save(cacheFile, signature, r.entries);
        out.stopped = true;
        return out;
    }

    std::string text = writeCatalog(job.format, r.entries, job.write);
    if (job.output.empty()) {
        out.text = std::move(text);
        out.written = true;
        return out;
    }
    if (stop && stop->load()) {
        out.stopped = true;
        return out;
    }
    if (!writeFileWhole(job.output, text, &out.error))
        return out;
    out.written = true;
    if (cached) {
        std::string ignored; // a cache that cannot be written only costs time next run
        CatalogCache::save(cacheFile, signature, r.entries, &ignored);
    }
    return out;
}

} // namespace korvel::catalog

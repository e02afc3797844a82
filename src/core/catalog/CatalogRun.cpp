#include "core/catalog/CatalogRun.h"

#include "core/catalog/CatalogCache.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace korvel::catalog {

RunResult runCatalog(std::vector<ArchiveFile> archives, const DescriptionSource& source,
                     const RunOptions& options) {
    const std::size_t total = archives.size();
    std::vector<CatalogEntry> entries(total);
    std::vector<char> done(total, 0);
    std::atomic<std::size_t> next{0}, finished{0}, cached{0};
    std::mutex m;
    std::condition_variable allDone;
    auto stopping = [&] { return options.stop && options.stop->load(std::memory_order_relaxed); };

    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= total || stopping())
                break;
            CatalogEntry& e = entries[i];
            e.file = std::move(archives[i]);
            const Finding* hit = options.cache ? options.cache->lookup(e.file) : nullptr;
            if (hit) {
                e.finding = *hit;
                cached.fetch_add(1, std::memory_order_relaxed);
            } else {
                e.finding = source.find(e.file.path, e.file.format);
            }
            done[i] = 1;
            if (finished.fetch_add(1) + 1 == total) {
                std::lock_guard<std::mutex> g(m);
                allDone.notify_all();
            }
        }
    };

    unsigned n = options.threads ? options.threads : std::thread::hardware_concurrency();
    n = std::max(1u, std::min<unsigned>(n, static_cast<unsigned>(std::max<std::size_t>(total, 1))));
    std::vector<std::thread> pool;
    pool.reserve(n);
    for (unsigned t = 0; t < n; ++t)
        pool.emplace_back(work);
    {
        std::unique_lock<std::mutex> lock(m);
        while (finished.load() < total && !stopping()) {
            allDone.wait_for(lock, std::chrono::milliseconds(100));
            if (options.progress) {
                lock.unlock();
                options.progress(finished.load(), total);
                lock.lock();
            }
        }
    }
    for (auto& t : pool)
        t.join();

    RunResult r;
    r.fromCache = cached.load();
    r.stopped = finished.load() < total;
    if (options.progress)
        options.progress(finished.load(), total);
    if (!r.stopped) {
        r.entries = std::move(entries);
        return r;
    }
    for (std::size_t i = 0; i < total; ++i) {
        if (done[i])
            r.entries.push_back(std::move(entries[i]));
    }
    return r;
}

} // namespace korvel::catalog

#include "dir_cache.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace korvel::engine {

namespace {

unsigned char foldByte(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Eight bytes at once with their ASCII capitals in lower case.
uint64_t foldWord(uint64_t w) {
    constexpr uint64_t ones = 0x0101010101010101ull;
    const uint64_t low7 = w & (0x7F * ones); // no carry leaves a byte below
    const uint64_t fromA = low7 + (0x80 - 'A') * ones;
    const uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * ones;
    const uint64_t capitals = fromA & ~pastZ & ~w & (0x80 * ones);
    return w | (capitals >> 2);
}

// The hash of a name folded to lower case, taken eight bytes at a time.
uint64_t foldedHash(std::string_view s) {
    constexpr uint64_t k = 0xff51afd7ed558ccdull;
    const size_t n = s.size();
    uint64_t h = n * 0x9e3779b97f4a7c15ull;
    auto mix = [&h](uint64_t w) {
        h = (h ^ foldWord(w)) * k;
        h ^= h >> 32;
    };
    uint64_t w = 0;
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&w, s.data() + i, 8);
            mix(w);
        }
        std::memcpy(&w, s.data() + n - 8, 8); // the last eight, overlapping the word before
    } else {
        for (char c : s)
            w = w << 8 | static_cast<unsigned char>(c);
    }
    mix(w);
    // Every bit of the result depends on every byte: slots are taken from the low bits, the
    // bits kept with them from the high ones.
    h *= k;
    h ^= h >> 33;
    return h;
}

bool sameName(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size())
        return false;
    if (!ignoreCase)
        return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldByte(static_cast<unsigned char>(a[i])) != foldByte(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// A slot: the record's offset from the directory's start plus one in the low bits, the top bits
// of its name's hash above them.
constexpr int kOffsetBits = 40;
constexpr uint64_t kOffsetMask = (uint64_t(1) << kOffsetBits) - 1;

// The last two archives: the one being looked at and the one before (going back and forth
// between two archives is common). Indexes above the weight bound are served but not kept.
constexpr size_t kKept = 2;
constexpr size_t kMaxWeight = 64u << 20;

struct Cached {
    FileStamp stamp;
    std::string path;
    std::shared_ptr<const DirIndex> index;
};

std::mutex cacheLock;
std::vector<Cached> cache; // most recent first

} // namespace

FileStamp FileStamp::of(const struct stat& st) {
    FileStamp f;
    f.dev = st.st_dev;
    f.ino = st.st_ino;
    f.size = st.st_size;
    f.mtimeSec = static_cast<long>(st.st_mtim.tv_sec);
    f.mtimeNsec = st.st_mtim.tv_nsec;
    f.ctimeSec = static_cast<long>(st.st_ctim.tv_sec);
    f.ctimeNsec = st.st_ctim.tv_nsec;
    return f;
}

std::shared_ptr<const DirIndex> DirIndex::build(CentralDirectory& cd) {
    auto idx = std::make_shared<DirIndex>();
    idx->layout_ = cd.layout();
    const CentralDirectory::Layout& at = idx->layout_;
    if (at.end - at.begin >= kOffsetMask)
        return nullptr;
    size_t n = 16;
    while (n < at.count * 5 / 4)
        n <<= 1;
    std::vector<uint64_t>& slots = idx->slots_;
    slots.assign(n, 0);
    const size_t mask = n - 1;
    auto put = [&](size_t s, uint64_t value) {
        while (slots[s] != 0)
            s = (s + 1) & mask;
        slots[s] = value;
    };
    // Nothing waits on memory: a member's name is hashed only after the next member is decoded
    // (reading bytes just written stalls), and it goes into its slot kAhead members later, the
    // slot fetched meanwhile.
    constexpr uint64_t kAhead = 8;
    std::pair<size_t, uint64_t> waiting[kAhead];
    uint64_t queued = 0;
    auto queue = [&](const CdEntry& e) {
        const uint64_t h = foldedHash(e.name);
        auto& w = waiting[queued++ % kAhead];
        if (queued > kAhead)
            put(w.first, w.second);
        w = {static_cast<size_t>(h) & mask, (h & ~kOffsetMask) | (e.record - at.begin + 1)};
        __builtin_prefetch(&slots[w.first], 1);
    };
    CdEntry e[2];
    uint64_t seen = 0;
    while (cd.next(e[seen % 2])) {
        if (++seen > 1)
            queue(e[seen % 2]); // the member before
    }
    if (seen > 0)
        queue(e[(seen - 1) % 2]);
    for (uint64_t i = queued > kAhead ? queued - kAhead : 0; i < queued; ++i)
        put(waiting[i % kAhead].first, waiting[i % kAhead].second);
    if (cd.damaged() || seen != at.count)
        return nullptr;
    return idx;
}

bool DirIndex::find(const CentralDirectory& cd, std::string_view name, bool ignoreCase,
                    std::vector<CdEntry>& out) const {
    const uint64_t h = foldedHash(name);
    const size_t mask = slots_.size() - 1;
    CdEntry e;
    for (size_t s = static_cast<size_t>(h) & mask; slots_[s] != 0; s = (s + 1) & mask) {
        if ((slots_[s] & ~kOffsetMask) != (h & ~kOffsetMask))
            continue;
        if (!cd.entryAt(layout_.begin + (slots_[s] & kOffsetMask) - 1, e))
            return false;
        if (sameName(e.name, name, ignoreCase))
            out.push_back(e);
    }
    return true;
}

std::shared_ptr<const DirIndex> cachedIndex(const char* path, CentralDirectory& cd, const struct stat& st) {
    const FileStamp stamp = FileStamp::of(st);
    {
        std::lock_guard<std::mutex> g(cacheLock);
        for (size_t i = 0; i < cache.size(); ++i) {
            if (cache[i].stamp == stamp && cache[i].path == path) {
                std::rotate(cache.begin(), cache.begin() + static_cast<long>(i),
                            cache.begin() + static_cast<long>(i) + 1);
                cd.restore(cache.front().index->layout());
                return cache.front().index;
            }
        }
    }
    // Read outside the lock: the map belongs to this call alone.
    if (!cd.parse())
        return nullptr;
    auto idx = DirIndex::build(cd);
    if (!idx || idx->weight() > kMaxWeight)
        return idx;
    std::lock_guard<std::mutex> g(cacheLock);
    // The same file by another path, or an older version of this path, makes way.
    std::erase_if(cache, [&](const Cached& c) {
        return c.path == path || (c.stamp.dev == stamp.dev && c.stamp.ino == stamp.ino);
    });
    cache.insert(cache.begin(), Cached{stamp, path, idx});
    if (cache.size() > kKept)
        cache.resize(kKept);
    return idx;
}

void clearDirCache() {
    std::lock_guard<std::mutex> g(cacheLock);
    cache.clear();
}

} // namespace korvel::engine

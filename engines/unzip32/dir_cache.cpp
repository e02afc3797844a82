#include "dir_cache.h"

#include <algorithm>
#include <mutex>

namespace korvel::engine {

namespace {

unsigned char foldByte(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

uint64_t foldedHash(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (char ch : s) {
        h ^= foldByte(static_cast<unsigned char>(ch));
        h *= 1099511628211ull;
    }
    return h ^ (h >> 29);
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

// The last two archives: the one being looked at and the one before (going back and forth
// between two archives is common). Directories above the weight bound are served but not kept.
constexpr size_t kKept = 2;
constexpr size_t kMaxWeight = 256u << 20;

// Archives asked for once, not indexed yet: the next request on one of them builds its index.
constexpr size_t kSeenKept = 8;

struct Cached {
    FileStamp stamp;
    std::string path;
    std::shared_ptr<const DirIndex> index;
};

std::mutex cacheLock;
std::vector<Cached> cache; // most recent first
std::vector<Cached> seen;  // most recent first, without index

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
    const uint64_t n = cd.count();
    if (n >= UINT32_MAX)
        return nullptr;
    idx->members_.reserve(static_cast<size_t>(n));
    idx->names_.reserve(static_cast<size_t>(n) * 24);
    CdEntry e;
    while (cd.next(e)) {
        if (idx->names_.size() + e.name.size() >= UINT32_MAX)
            return nullptr;
        Member m;
        m.compSize = e.compSize;
        m.size = e.size;
        m.localOffset = e.localOffset;
        m.crc = e.crc;
        m.nameOff = static_cast<uint32_t>(idx->names_.size());
        m.nameLen = static_cast<uint32_t>(e.name.size());
        m.flags = e.flags;
        m.method = e.method;
        idx->names_ += e.name;
        idx->members_.push_back(m);
    }
    if (cd.damaged() || idx->members_.size() != n)
        return nullptr;
    idx->comment_ = std::string(cd.comment());
    size_t slots = 16;
    while (slots < idx->members_.size() * 2)
        slots <<= 1;
    idx->slots_.assign(slots, 0);
    const size_t mask = slots - 1;
    for (size_t i = 0; i < idx->members_.size(); ++i) {
        size_t s = static_cast<size_t>(foldedHash(idx->name(i))) & mask;
        while (idx->slots_[s] != 0)
            s = (s + 1) & mask;
        idx->slots_[s] = static_cast<uint32_t>(i + 1);
    }
    return idx;
}

void DirIndex::find(std::string_view name, bool ignoreCase, std::vector<size_t>& out) const {
    out.clear();
    if (slots_.empty())
        return;
    const size_t mask = slots_.size() - 1;
    for (size_t s = static_cast<size_t>(foldedHash(name)) & mask; slots_[s] != 0; s = (s + 1) & mask) {
        const size_t i = slots_[s] - 1;
        if (sameName(this->name(i), name, ignoreCase))
            out.push_back(i);
    }
    std::sort(out.begin(), out.end());
}

CdEntry DirIndex::entry(size_t i) const {
    const Member& m = members_[i];
    CdEntry e;
    e.index = i;
    e.name.assign(name(i));
    e.flags = m.flags;
    e.method = m.method;
    e.crc = m.crc;
    e.compSize = m.compSize;
    e.size = m.size;
    e.localOffset = m.localOffset;
    return e;
}

bool sameMemberName(std::string_view a, std::string_view b, bool ignoreCase) {
    return sameName(a, b, ignoreCase);
}

std::shared_ptr<const DirIndex> cachedIndex(const char* path, CentralDirectory& cd, const struct stat& st,
                                            bool& firstAsk) {
    firstAsk = false;
    const FileStamp stamp = FileStamp::of(st);
    bool askedBefore = false;
    {
        std::lock_guard<std::mutex> g(cacheLock);
        for (size_t i = 0; i < cache.size(); ++i) {
            if (cache[i].stamp == stamp && cache[i].path == path) {
                std::rotate(cache.begin(), cache.begin() + static_cast<long>(i),
                            cache.begin() + static_cast<long>(i) + 1);
                return cache.front().index;
            }
        }
        const auto it = std::find_if(seen.begin(), seen.end(),
                                     [&](const Cached& c) { return c.stamp == stamp && c.path == path; });
        askedBefore = it != seen.end();
        if (askedBefore) {
            seen.erase(it);
        } else {
            std::erase_if(seen, [&](const Cached& c) { return c.path == path; });
            seen.insert(seen.begin(), Cached{stamp, path, nullptr});
            if (seen.size() > kSeenKept)
                seen.resize(kSeenKept);
        }
    }
    // Read outside the lock: the map belongs to this call alone.
    if (!cd.parse())
        return nullptr;
    if (!askedBefore) {
        firstAsk = true;
        return nullptr;
    }
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
    seen.clear();
}

} // namespace korvel::engine

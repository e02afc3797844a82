#include "fast_add.h"

#include "le_bytes.h"
#include "new_member.h"
#include "old_archive.h"
#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace korvel::engine {

namespace {

// Copies `len` bytes at `off` of `in` to the end of `out`: in the kernel when it can, else
// through a large buffer.
bool copyRange(int in, int out, uint64_t off, uint64_t len) {
    loff_t from = static_cast<loff_t>(off);
    bool kernel = true;
    while (len > 0 && kernel) {
        ssize_t r = ::copy_file_range(in, &from, out, nullptr,
                                      static_cast<size_t>(std::min<uint64_t>(len, 1u << 30)), 0);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            kernel = false;
            break;
        }
        if (r <= 0)
            return false;
        len -= static_cast<uint64_t>(r);
    }
    std::vector<char> buf;
    while (len > 0) {
        if (buf.empty())
            buf.resize(1u << 20);
        size_t n = static_cast<size_t>(std::min<uint64_t>(len, buf.size()));
        if (!posix::preadExact(in, buf.data(), n, static_cast<uint64_t>(from)) ||
            !posix::writeFull(out, buf.data(), n))
            return false;
        from += static_cast<loff_t>(n);
        len -= n;
    }
    return true;
}

bool plainName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool sameNameFolded(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

// Which old records the new members replace.
struct Replacements {
    std::vector<FastItem> named; // the new members under the names they are stored with
    std::vector<long> replaces;  // per new member: the record it takes the place of, or -1
    std::vector<bool> dropped;   // per old record: replaced or removed
};

// Every member whose name equals a new one without regard to (ASCII) case goes, as on the
// systems the archives come from; the new member takes the place and the stored name of the first
// of them. False when the fast path leaves the matching to libzip.
bool matchReplaced(const std::vector<Record>& recs, const std::vector<FastItem>& items, Replacements& r) {
    r.named = items;
    r.replaces.assign(items.size(), -1);
    r.dropped.assign(recs.size(), false);
    for (size_t k = 0; k < items.size(); ++k) {
        for (size_t i = 0; i < recs.size(); ++i) {
            size_t at, len;
            if (findExtra(recs[i].extra, 0x7075, at, len) && len > 5 &&
                sameNameFolded(recs[i].extra.substr(at + 5, len - 5), items[k].member))
                return false; // named by its Unicode path field: libzip decides
            if (!sameNameFolded(recs[i].name, items[k].member))
                continue;
            if (r.dropped[i] || !plainName(recs[i].name) || (recs[i].flags & 0x800))
                return false; // two new names for one member, or a name to encode
            r.dropped[i] = true;
            if (r.replaces[k] < 0) {
                r.replaces[k] = static_cast<long>(i);
                r.named[k].member.assign(recs[i].name);
            }
        }
    }
    return true;
}

// A byte range dropped from the old archive: [start, next start) of a replaced member.
struct Cut {
    uint64_t from, to;
};

// The ranges of the dropped members, in order. False when a member's end is not where the next
// one starts.
bool cutsFor(int in, const OldArchive& old, const std::vector<bool>& dropped, std::vector<Cut>& cuts) {
    for (size_t i = 0; i < old.recs.size(); ++i) {
        if (!dropped[i])
            continue;
        const Record& r = old.recs[i];
        auto nx = std::upper_bound(old.starts.begin(), old.starts.end(), r.localOffset);
        const uint64_t next = nx == old.starts.end() ? old.lay.cdOffset : *nx;
        if (memberEnd(in, r, next) != next)
            return false;
        cuts.push_back({r.localOffset, next});
    }
    std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.from < b.from; });
    return true;
}

// Where the old byte at `off` lands once the cuts are taken out.
uint64_t shifted(const std::vector<Cut>& cuts, uint64_t off) {
    uint64_t s = 0;
    for (const Cut& c : cuts)
        if (c.to <= off)
            s += c.to - c.from;
    return off - s;
}

// Copies the kept members of the old archive, in their order, to the start of `out`.
bool copyKeptMembers(int in, int out, const std::vector<Cut>& cuts, uint64_t cdOffset) {
    uint64_t at = 0;
    for (const Cut& c : cuts) {
        if (!copyRange(in, out, at, c.from - at))
            return false;
        at = c.to;
    }
    return copyRange(in, out, at, cdOffset - at);
}

// Writes the new members after the kept ones, from `offset` on; their directory records come
// back in `newRecs` and the offset after the last in `end`.
int writeNewMembers(int out, uint64_t offset, const std::vector<FastItem>& named, int level, bool noExtra,
                    std::vector<std::string>& newRecs, uint64_t& end) {
    newRecs.assign(named.size(), {});
    for (size_t k = 0; k < named.size(); ++k) {
        if (offset >= kMax32)
            return kFastPathDeclined;
        if (int r = writeMember(out, offset, named[k], level, noExtra, newRecs[k]); r != ZE_OK)
            return r;
        const off_t e = ::lseek(out, 0, SEEK_END);
        if (e < 0)
            return ZE_TEMP;
        offset = static_cast<uint64_t>(e);
    }
    end = offset;
    return ZE_OK;
}

// The new directory's records: old records in their order with their offsets moved, replaced
// ones in their place, new ones at the end. `count` tells how many.
std::string directoryRecords(const OldArchive& old, const Replacements& r, const std::vector<Cut>& cuts,
                             std::vector<std::string> newRecs, uint64_t& count) {
    std::string out;
    out.reserve(old.cd.size() + 1024);
    count = 0;
    for (size_t i = 0; i < old.recs.size(); ++i) {
        auto k = std::find(r.replaces.begin(), r.replaces.end(), static_cast<long>(i));
        if (k != r.replaces.end()) {
            out += newRecs[static_cast<size_t>(k - r.replaces.begin())];
            newRecs[static_cast<size_t>(k - r.replaces.begin())].clear();
        } else if (r.dropped[i]) {
            continue;
        } else {
            const Record& rec = old.recs[i];
            std::string copy = old.cd.substr(rec.pos, rec.len);
            auto* p = reinterpret_cast<unsigned char*>(copy.data());
            const uint64_t moved = shifted(cuts, rec.localOffset);
            if (rec.offset64)
                set64(p + rec.offsetField, moved);
            else
                set32(p + 42, static_cast<uint32_t>(moved));
            out += copy;
        }
        ++count;
    }
    for (const auto& rec : newRecs) {
        if (!rec.empty()) {
            out += rec;
            ++count;
        }
    }
    return out;
}

// Appends the end records after a directory of `count` records and `cdSize` bytes at
// `cdOffset`: zip64 ones when the old archive had them or the numbers need them.
void appendEndRecords(std::string& out, const Layout& lay, uint64_t count, uint64_t cdSize,
                      uint64_t cdOffset) {
    const bool zip64 = lay.zip64 || count >= 0xFFFF || cdSize >= kMax32 || cdOffset >= kMax32;
    if (zip64) {
        const uint64_t z64 = cdOffset + cdSize;
        put32(out, 0x06064b50);
        put64(out, 44);
        if (lay.zip64Head.size() == 4)
            out += lay.zip64Head;
        else {
            put16(out, 0x032D);
            put16(out, 45);
        }
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, cdSize);
        put64(out, cdOffset);
        put32(out, 0x07064b50);
        put32(out, 0);
        put64(out, z64);
        put32(out, 1);
    }
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
    put16(out, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
    put32(out, static_cast<uint32_t>(std::min<uint64_t>(cdSize, kMax32)));
    put32(out, static_cast<uint32_t>(std::min<uint64_t>(cdOffset, kMax32)));
    put16(out, static_cast<uint16_t>(lay.comment.size()));
    out += lay.comment;
}

// Whether the archive at `archive` is still the one read as `ast`.
bool unchangedSince(const std::string& archive, const struct stat& ast) {
    struct stat now;
    return ::stat(archive.c_str(), &now) == 0 && now.st_ino == ast.st_ino && now.st_dev == ast.st_dev &&
           now.st_size == ast.st_size && now.st_mtim.tv_sec == ast.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == ast.st_mtim.tv_nsec;
}

// Puts the written new archive in place of the old one: with the old one's permissions (and
// owner, where that can be given), only when everything is on disk and the old archive is still
// the one read.
int replaceArchive(posix::AtomicReplace& tmp, const struct stat& ast) {
    if (::fchmod(tmp.fd(), ast.st_mode & 07777) != 0)
        return ZE_TEMP;
    if (::fchown(tmp.fd(), ast.st_uid, ast.st_gid) != 0) {
        // Another owner cannot be given away by an ordinary user: the new archive is the user's.
    }
    if (!tmp.sync())
        return ZE_TEMP;
    if (!unchangedSince(tmp.target(), ast))
        return ZE_READ;
    return tmp.commit() ? ZE_OK : ZE_TEMP;
}

int build(int in, const struct stat& ast, const std::string& archive, const std::vector<FastItem>& items,
          int level, bool noExtra) {
    OldArchive old;
    if (!readOldArchive(in, static_cast<uint64_t>(ast.st_size), old))
        return kFastPathDeclined;
    Replacements r;
    std::vector<Cut> cuts;
    if (!matchReplaced(old.recs, items, r) || !cutsFor(in, old, r.dropped, cuts))
        return kFastPathDeclined;

    // The new archive, beside the old one.
    posix::AtomicReplace tmp(archive);
    if (!tmp.create(S_IRUSR | S_IWUSR))
        return ZE_TEMP;
    if (!copyKeptMembers(in, tmp.fd(), cuts, old.lay.cdOffset))
        return ZE_TEMP;
    std::vector<std::string> newRecs;
    uint64_t cdOffset = 0;
    if (int e = writeNewMembers(tmp.fd(), shifted(cuts, old.lay.cdOffset), r.named, level, noExtra, newRecs,
                                cdOffset);
        e != ZE_OK)
        return e;
    uint64_t count = 0;
    std::string dir = directoryRecords(old, r, cuts, std::move(newRecs), count);
    appendEndRecords(dir, old.lay, count, dir.size(), cdOffset);
    if (!tmp.write(dir))
        return ZE_TEMP;
    return replaceArchive(tmp, ast);
}

} // namespace

int fastAdd(const std::string& archive, const std::vector<FastItem>& items, char level, bool noExtra) {
    if (items.empty() || level < '0' || level > '9')
        return kFastPathDeclined;
    for (const auto& it : items) {
        // Plain names only: anything libzip would encode or match differently is left to it.
        if (it.member.empty() || it.member.size() > 0xFFFF || !S_ISREG(it.st.st_mode))
            return kFastPathDeclined;
        for (unsigned char c : it.member)
            if (c < 0x20 || c >= 0x7F)
                return kFastPathDeclined;
    }
    struct stat lst;
    if (::lstat(archive.c_str(), &lst) != 0 || !S_ISREG(lst.st_mode))
        return kFastPathDeclined; // links and odd files: libzip's way
    posix::Fd in(::open(archive.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.valid())
        return kFastPathDeclined;
    struct stat ast;
    if (::fstat(in.get(), &ast) != 0 || ast.st_ino != lst.st_ino || ast.st_dev != lst.st_dev)
        return kFastPathDeclined;
    return build(in.get(), ast, archive, items, level - '0', noExtra);
}

} // namespace korvel::engine

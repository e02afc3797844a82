#include "old_archive.h"

#include "le_bytes.h"
#include "posix_io.h"

#include <algorithm>

namespace korvel::engine {

namespace {

bool readLayout(int fd, uint64_t size, Layout& l) {
    if (size < 22)
        return false;
    const uint64_t tailLen = std::min<uint64_t>(size, 22 + 65535 + 20);
    std::string tail(static_cast<size_t>(tailLen), '\0');
    if (!posix::preadExact(fd, tail.data(), tail.size(), size - tailLen))
        return false;
    const auto* t = reinterpret_cast<const unsigned char*>(tail.data());
    size_t eocd = SIZE_MAX;
    for (size_t i = tail.size() - 22 + 1; i-- > 0;) {
        if (le32(t + i) == 0x06054b50 && i + 22 + le16(t + i + 20) == tail.size()) {
            eocd = i;
            break;
        }
    }
    if (eocd == SIZE_MAX)
        return false;
    const unsigned char* e = t + eocd;
    if (le16(e + 4) != 0 || le16(e + 6) != 0 || le16(e + 8) != le16(e + 10))
        return false; // several disks
    l.entries = le16(e + 10);
    l.cdSize = le32(e + 12);
    l.cdOffset = le32(e + 16);
    l.comment.assign(tail, eocd + 22, le16(e + 20));
    uint64_t cdEnd = size - tailLen + eocd;
    if (eocd >= 20 && le32(e - 20) == 0x07064b50) {
        const unsigned char* loc = e - 20;
        if (le32(loc + 4) != 0 || le32(loc + 16) != 1)
            return false;
        const uint64_t z64 = le64(loc + 8);
        unsigned char z[56];
        if (z64 + 56 != cdEnd - 20 || !posix::preadExact(fd, z, sizeof z, z64))
            return false; // an extensible data sector (or anything between): not ours to rewrite
        if (le32(z) != 0x06064b50 || le64(z + 4) != 44 || le32(z + 16) != 0 || le32(z + 20) != 0 ||
            le64(z + 24) != le64(z + 32))
            return false;
        l.zip64 = true;
        l.zip64Head.assign(reinterpret_cast<const char*>(z + 12), 4);
        l.entries = le64(z + 32);
        l.cdSize = le64(z + 40);
        l.cdOffset = le64(z + 48);
        cdEnd = z64;
    }
    return l.cdOffset <= cdEnd && l.cdSize == cdEnd - l.cdOffset;
}

bool parseDirectory(const std::string& cd, uint64_t entries, std::vector<Record>& out) {
    const auto* b = reinterpret_cast<const unsigned char*>(cd.data());
    size_t pos = 0;
    if (entries > cd.size() / 46)
        return false;
    out.reserve(static_cast<size_t>(entries));
    for (uint64_t i = 0; i < entries; ++i) {
        if (pos + 46 > cd.size() || le32(b + pos) != 0x02014b50)
            return false;
        const unsigned char* p = b + pos;
        Record r;
        r.pos = pos;
        const size_t nameLen = le16(p + 28), extraLen = le16(p + 30), commentLen = le16(p + 32);
        r.len = 46 + nameLen + extraLen + commentLen;
        if (pos + r.len > cd.size())
            return false;
        r.flags = le16(p + 8);
        if (r.flags & 0x2000)
            return false; // encrypted directory
        if (le16(p + 34) != 0 && le16(p + 34) != 0xFFFF)
            return false;
        r.name = std::string_view(cd.data() + pos + 46, nameLen);
        uint64_t size = le32(p + 24);
        r.compSize = le32(p + 20);
        r.localOffset = le32(p + 42);
        r.offsetField = 42;
        const std::string_view extra(cd.data() + pos + 46 + nameLen, extraLen);
        r.extra = extra;
        size_t at, len;
        if (size == kMax32 || r.compSize == kMax32 || r.localOffset == kMax32 || le16(p + 34) == 0xFFFF) {
            if (!findExtra(extra, 0x0001, at, len))
                return false;
            size_t k = 0;
            auto take = [&](uint64_t& v, bool wanted) -> size_t {
                if (!wanted)
                    return SIZE_MAX;
                if (k + 8 > len)
                    return SIZE_MAX - 1;
                v = le64(b + pos + 46 + nameLen + at + k);
                k += 8;
                return 46 + nameLen + at + k - 8;
            };
            if (take(size, size == kMax32) == SIZE_MAX - 1 ||
                take(r.compSize, r.compSize == kMax32) == SIZE_MAX - 1)
                return false;
            if (r.localOffset == kMax32) {
                size_t f = take(r.localOffset, true);
                if (f == SIZE_MAX - 1)
                    return false;
                r.offsetField = f;
                r.offset64 = true;
            }
            if (le16(p + 34) == 0xFFFF) {
                if (k + 4 > len || le32(b + pos + 46 + nameLen + at + k) != 0)
                    return false;
            }
        }
        out.push_back(r);
        pos += r.len;
    }
    return pos == cd.size();
}

} // namespace

bool findExtra(std::string_view extra, uint16_t id, size_t& at, size_t& len) {
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
    size_t i = 0;
    while (i + 4 <= extra.size()) {
        uint16_t fid = le16(p + i), flen = le16(p + i + 2);
        if (i + 4 + flen > extra.size())
            return false;
        if (fid == id) {
            at = i + 4;
            len = flen;
            return true;
        }
        i += 4 + flen;
    }
    return false;
}

// Reads the old archive's directory. False when the fast path cannot take the archive: the
// members must lie end to end from the first byte, each where its record says: sorted offsets,
// distinct, the first at 0, all before the directory.
bool readOldArchive(int in, uint64_t size, OldArchive& old) {
    if (!readLayout(in, size, old.lay) || old.lay.cdSize > (1ull << 30))
        return false;
    old.cd.assign(static_cast<size_t>(old.lay.cdSize), '\0');
    if (!posix::preadExact(in, old.cd.data(), old.cd.size(), old.lay.cdOffset))
        return false;
    if (!parseDirectory(old.cd, old.lay.entries, old.recs))
        return false;
    old.starts.reserve(old.recs.size());
    for (const auto& r : old.recs)
        old.starts.push_back(r.localOffset);
    std::sort(old.starts.begin(), old.starts.end());
    if (std::adjacent_find(old.starts.begin(), old.starts.end()) != old.starts.end())
        return false;
    if (old.starts.empty())
        return old.lay.cdOffset == 0;
    return old.starts.front() == 0 && old.starts.back() < old.lay.cdOffset;
}

// Where the member at `r` ends: its local header, data and data descriptor. 0 when unreadable.
// With a data descriptor the length is ambiguous (signature optional, 4 or 8 byte sizes); the
// candidate that reaches exactly `next` (where the following member begins) wins.
uint64_t memberEnd(int fd, const Record& r, uint64_t next) {
    unsigned char h[30];
    if (!posix::preadExact(fd, h, sizeof h, r.localOffset) || le32(h) != 0x04034b50)
        return 0;
    const uint64_t data = r.localOffset + 30 + le16(h + 26) + le16(h + 28);
    const uint64_t end = data + r.compSize;
    if (!(r.flags & 8))
        return end;
    for (uint64_t d : {16, 12, 24, 20}) {
        if (end + d == next)
            return next;
    }
    return 0;
}

} // namespace korvel::engine

#include "fast_add.h"

#include "le_bytes.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace korvel::engine {

namespace {

void put16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
void put32(std::string& s, uint32_t v) {
    put16(s, uint16_t(v));
    put16(s, uint16_t(v >> 16));
}
void put64(std::string& s, uint64_t v) {
    put32(s, uint32_t(v));
    put32(s, uint32_t(v >> 32));
}
void set32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void set64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

constexpr uint32_t kMax32 = 0xFFFFFFFFu;

bool preadAll(int fd, void* buf, size_t n, uint64_t off) {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        ssize_t r = ::pread(fd, p, n, static_cast<off_t>(off));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
        off += static_cast<uint64_t>(r);
    }
    return true;
}

bool writeAll(int fd, const void* buf, size_t n) {
    auto* p = static_cast<const char*>(buf);
    while (n > 0) {
        ssize_t r = ::write(fd, p, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

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
        if (!preadAll(in, buf.data(), n, static_cast<uint64_t>(from)) || !writeAll(out, buf.data(), n))
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

// One record of the old central directory.
struct Record {
    size_t pos = 0, len = 0; // in the directory buffer
    uint64_t localOffset = 0;
    uint64_t compSize = 0;
    size_t offsetField = 0; // where the offset lives in the record (zip64 field or +42)
    bool offset64 = false;
    uint16_t flags = 0;
    std::string_view name, extra;
};

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

// The end records of the archive.
struct Layout {
    uint64_t entries = 0, cdSize = 0, cdOffset = 0;
    bool zip64 = false;
    std::string comment;
    std::string zip64Head; // made-by and version needed of the old zip64 end record
};

bool readLayout(int fd, uint64_t size, Layout& l) {
    if (size < 22)
        return false;
    const uint64_t tailLen = std::min<uint64_t>(size, 22 + 65535 + 20);
    std::string tail(static_cast<size_t>(tailLen), '\0');
    if (!preadAll(fd, tail.data(), tail.size(), size - tailLen))
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
        if (z64 + 56 != cdEnd - 20 || !preadAll(fd, z, sizeof z, z64))
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

// Where the member at `r` ends: its local header, data and data descriptor. 0 when unreadable.
// With a data descriptor the length is ambiguous (signature optional, 4 or 8 byte sizes); the
// candidate that reaches exactly `next` (where the following member begins) wins.
uint64_t memberEnd(int fd, const Record& r, uint64_t next) {
    unsigned char h[30];
    if (!preadAll(fd, h, sizeof h, r.localOffset) || le32(h) != 0x04034b50)
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

void dosTime(time_t t, uint16_t& time, uint16_t& date) {
    struct tm tm {};
    localtime_r(&t, &tm);
    if (tm.tm_year < 80) {
        time = 0;
        date = (1 << 5) | 1;
        return;
    }
    time = uint16_t(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    date = uint16_t((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
}

// A new member written at the end of `out`: its central directory record comes back in `rec`.
// kFastPathDeclined for sizes this path does not write (zip64 members).
int writeMember(int out, uint64_t offset, const FastItem& it, int level, bool noExtra, std::string& rec) {
    int in = ::open(it.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return ZE_OPEN;
    uint16_t t, d;
    dosTime(it.st.st_mtime, t, d);
    const uint16_t method = level == 0 ? 0 : 8;
    // The level as the flag bits tell it: maximum (8, 9) or fast (1, 2), as libzip marks them.
    const uint16_t flags = method != 8 ? 0 : level >= 8 ? 2 : level <= 2 ? 4 : 0;
    std::string extra;
    if (!noExtra) {
        put16(extra, 0x5455);
        put16(extra, 5);
        extra += char(1);
        put32(extra, static_cast<uint32_t>(it.st.st_mtime));
    }
    auto header = [&](uint32_t crc, uint64_t csize, uint64_t size) {
        std::string h;
        put32(h, 0x04034b50);
        put16(h, method == 8 ? 20 : 10);
        put16(h, flags);
        put16(h, method);
        put16(h, t);
        put16(h, d);
        put32(h, crc);
        put32(h, static_cast<uint32_t>(csize));
        put32(h, static_cast<uint32_t>(size));
        put16(h, static_cast<uint16_t>(it.member.size()));
        put16(h, static_cast<uint16_t>(extra.size()));
        return h + it.member + extra;
    };
    std::string head = header(0, 0, 0);
    int result = ZE_OK;
    uint32_t crc = 0;
    uint64_t size = 0, csize = 0;
    z_stream z{};
    bool zInit = false;
    if (method == 8) {
        if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            ::close(in);
            return ZE_MEM;
        }
        zInit = true;
    }
    std::vector<unsigned char> inBuf(1u << 20), outBuf(1u << 20);
    if (!writeAll(out, head.data(), head.size()))
        result = ZE_TEMP;
    bool eof = false;
    while (result == ZE_OK && !eof) {
        ssize_t n = ::read(in, inBuf.data(), inBuf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result = ZE_READ;
            break;
        }
        eof = n == 0;
        size += static_cast<uint64_t>(n);
        crc = static_cast<uint32_t>(::crc32(crc, inBuf.data(), static_cast<uInt>(n)));
        if (method == 0) {
            if (!writeAll(out, inBuf.data(), static_cast<size_t>(n)))
                result = ZE_TEMP;
            csize += static_cast<uint64_t>(n);
            continue;
        }
        z.next_in = inBuf.data();
        z.avail_in = static_cast<uInt>(n);
        int zr;
        do {
            z.next_out = outBuf.data();
            z.avail_out = static_cast<uInt>(outBuf.size());
            zr = deflate(&z, eof ? Z_FINISH : Z_NO_FLUSH);
            const size_t got = outBuf.size() - z.avail_out;
            csize += got;
            if (!writeAll(out, outBuf.data(), got)) {
                result = ZE_TEMP;
                break;
            }
        } while (z.avail_out == 0 || (eof && zr != Z_STREAM_END));
    }
    if (zInit)
        deflateEnd(&z);
    ::close(in);
    if (result != ZE_OK)
        return result;
    if (size >= kMax32 || csize >= kMax32)
        return kFastPathDeclined;
    head = header(crc, csize, size);
    if (::pwrite(out, head.data(), 30, static_cast<off_t>(offset)) != 30)
        return ZE_TEMP;

    uint32_t attr = static_cast<uint32_t>(it.st.st_mode & 0xFFFF) << 16;
    if (!(it.st.st_mode & S_IWUSR))
        attr |= 0x01;
    rec.clear();
    put32(rec, 0x02014b50);
    put16(rec, 0x0314);      // Unix, 2.0
    rec.append(head, 4, 22); // version needed .. uncompressed size
    put16(rec, static_cast<uint16_t>(it.member.size()));
    put16(rec, static_cast<uint16_t>(extra.size()));
    put16(rec, 0); // comment
    put16(rec, 0); // disk
    put16(rec, 0); // internal attributes
    put32(rec, attr);
    put32(rec, static_cast<uint32_t>(offset));
    rec += it.member;
    rec += extra;
    return ZE_OK;
}

struct TempFile {
    std::string path;
    int fd = -1;
    ~TempFile() {
        if (fd >= 0)
            ::close(fd);
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

int build(int in, const struct stat& ast, const std::string& archive, const std::vector<FastItem>& items,
          int level, bool noExtra) {
    Layout lay;
    if (!readLayout(in, static_cast<uint64_t>(ast.st_size), lay) || lay.cdSize > (1ull << 30))
        return kFastPathDeclined;
    std::string cd(static_cast<size_t>(lay.cdSize), '\0');
    if (!preadAll(in, cd.data(), cd.size(), lay.cdOffset))
        return kFastPathDeclined;
    std::vector<Record> recs;
    if (!parseDirectory(cd, lay.entries, recs))
        return kFastPathDeclined;

    // The members must lie end to end from the first byte, each where its record says: sorted
    // offsets, distinct, the first at 0, all before the directory.
    std::vector<uint64_t> starts;
    starts.reserve(recs.size());
    for (const auto& r : recs)
        starts.push_back(r.localOffset);
    std::sort(starts.begin(), starts.end());
    if (std::adjacent_find(starts.begin(), starts.end()) != starts.end())
        return kFastPathDeclined;
    if (starts.empty() ? lay.cdOffset != 0 : (starts.front() != 0 || starts.back() >= lay.cdOffset))
        return kFastPathDeclined;

    // Which records the new members replace: every member whose name equals the new one
    // without regard to (ASCII) case, as on the systems the archives come from. The new member
    // takes the place and the stored name of the first of them; the others go.
    std::vector<FastItem> named(items);
    std::vector<long> replaces(items.size(), -1);
    std::vector<bool> dropped(recs.size(), false);
    for (size_t k = 0; k < items.size(); ++k) {
        for (size_t i = 0; i < recs.size(); ++i) {
            size_t at, len;
            if (findExtra(recs[i].extra, 0x7075, at, len) && len > 5 &&
                sameNameFolded(recs[i].extra.substr(at + 5, len - 5), items[k].member))
                return kFastPathDeclined; // named by its Unicode path field: libzip decides
            if (!sameNameFolded(recs[i].name, items[k].member))
                continue;
            if (dropped[i] || !plainName(recs[i].name) || (recs[i].flags & 0x800))
                return kFastPathDeclined; // two new names for one member, or a name to encode
            dropped[i] = true;
            if (replaces[k] < 0) {
                replaces[k] = static_cast<long>(i);
                named[k].member.assign(recs[i].name);
            }
        }
    }
    // Byte ranges dropped from the old archive: [start, next start) of each replaced member.
    struct Cut {
        uint64_t from, to;
    };
    std::vector<Cut> cuts;
    for (size_t i = 0; i < recs.size(); ++i) {
        if (!dropped[i])
            continue;
        const Record& r = recs[i];
        auto nx = std::upper_bound(starts.begin(), starts.end(), r.localOffset);
        const uint64_t next = nx == starts.end() ? lay.cdOffset : *nx;
        if (memberEnd(in, r, next) != next)
            return kFastPathDeclined;
        cuts.push_back({r.localOffset, next});
    }
    std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.from < b.from; });
    auto shifted = [&](uint64_t off) {
        uint64_t s = 0;
        for (const Cut& c : cuts)
            if (c.to <= off)
                s += c.to - c.from;
        return off - s;
    };

    // The new archive, beside the old one.
    TempFile tmp;
    tmp.path = archive + ".XXXXXX";
    tmp.fd = ::mkstemp(tmp.path.data());
    if (tmp.fd < 0) {
        tmp.path.clear();
        return ZE_TEMP;
    }
    uint64_t at = 0;
    for (const Cut& c : cuts) {
        if (!copyRange(in, tmp.fd, at, c.from - at))
            return ZE_TEMP;
        at = c.to;
    }
    if (!copyRange(in, tmp.fd, at, lay.cdOffset - at))
        return ZE_TEMP;
    uint64_t offset = shifted(lay.cdOffset);
    std::vector<std::string> newRecs(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        if (offset >= kMax32)
            return kFastPathDeclined;
        int r = writeMember(tmp.fd, offset, named[k], level, noExtra, newRecs[k]);
        if (r != ZE_OK)
            return r;
        const off_t end = ::lseek(tmp.fd, 0, SEEK_END);
        if (end < 0)
            return ZE_TEMP;
        offset = static_cast<uint64_t>(end);
    }

    // The directory: old records in their order with their offsets moved, replaced ones in
    // their place, new ones at the end.
    const uint64_t cdOffset = offset;
    std::string out;
    out.reserve(cd.size() + 1024);
    uint64_t count = 0;
    for (size_t i = 0; i < recs.size(); ++i) {
        auto k = std::find(replaces.begin(), replaces.end(), static_cast<long>(i));
        if (k != replaces.end()) {
            out += newRecs[static_cast<size_t>(k - replaces.begin())];
            newRecs[static_cast<size_t>(k - replaces.begin())].clear();
        } else if (dropped[i]) {
            continue;
        } else {
            std::string rec = cd.substr(recs[i].pos, recs[i].len);
            auto* p = reinterpret_cast<unsigned char*>(rec.data());
            const uint64_t moved = shifted(recs[i].localOffset);
            if (recs[i].offset64)
                set64(p + recs[i].offsetField, moved);
            else
                set32(p + 42, static_cast<uint32_t>(moved));
            out += rec;
        }
        ++count;
    }
    for (const auto& r : newRecs) {
        if (!r.empty()) {
            out += r;
            ++count;
        }
    }
    const uint64_t cdSize = out.size();
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
    if (!writeAll(tmp.fd, out.data(), out.size()))
        return ZE_TEMP;

    // In place only when everything is on disk and the old archive is still the one we read.
    if (::fchmod(tmp.fd, ast.st_mode & 07777) != 0)
        return ZE_TEMP;
    if (::fchown(tmp.fd, ast.st_uid, ast.st_gid) != 0) {
        // Another owner cannot be given away by an ordinary user: the new archive is the user's.
    }
    if (::fsync(tmp.fd) != 0)
        return ZE_TEMP;
    struct stat now;
    if (::stat(archive.c_str(), &now) != 0 || now.st_ino != ast.st_ino || now.st_dev != ast.st_dev ||
        now.st_size != ast.st_size || now.st_mtim.tv_sec != ast.st_mtim.tv_sec ||
        now.st_mtim.tv_nsec != ast.st_mtim.tv_nsec)
        return ZE_READ;
    if (::rename(tmp.path.c_str(), archive.c_str()) != 0)
        return ZE_TEMP;
    tmp.path.clear(); // it is the archive now
    const size_t slash = archive.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : archive.substr(0, slash);
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return ZE_OK;
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
    int in = ::open(archive.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return kFastPathDeclined;
    struct stat ast;
    int r = kFastPathDeclined;
    if (::fstat(in, &ast) == 0 && ast.st_ino == lst.st_ino && ast.st_dev == lst.st_dev)
        r = build(in, ast, archive, items, level - '0', noExtra);
    ::close(in);
    return r;
}

} // namespace korvel::engine

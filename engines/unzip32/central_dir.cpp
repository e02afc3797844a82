#include "central_dir.h"

#include "le_bytes.h"
#include "posix_io.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::engine {

namespace {

// Code page 437 as libzip decodes it: the control bytes as their DOS glyphs.
const uint16_t kCp437Low[32] = {0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                                0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                                0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                                0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
// Bytes 0x80 to 0xFF.
const uint16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

void appendUtf8(std::string& s, uint32_t c) {
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
}

// Hosts whose names are in the DOS code page when they are not UTF-8, as unzip takes them:
// MS-DOS (FAT), OS/2 (HPFS) and Windows (NTFS). Names from other hosts, Unix above all, are the
// bytes the writer's file system held (Latin-1 names from old disks too) and are kept as such.
bool namesInCodePage437(uint8_t host) {
    return host == 0 || host == 6 || host == 11;
}

// libzip's guess: printable ASCII, tab, CR, LF and well-formed UTF-8 sequences; anything else
// (other control bytes included) means code page 437.
bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n;
        if ((c > 31 && c < 128) || c == '\r' || c == '\n' || c == '\t')
            n = 0;
        else if ((c & 0xE0) == 0xC0)
            n = 1;
        else if ((c & 0xF0) == 0xE0)
            n = 2;
        else if ((c & 0xF8) == 0xF0)
            n = 3;
        else
            return false;
        if (i + n >= s.size() && n > 0)
            return false;
        for (size_t j = 1; j <= n; ++j)
            if ((static_cast<unsigned char>(s[i + j]) & 0xC0) != 0x80)
                return false;
        i += n + 1;
    }
    return true;
}

// Finds an extra field's data by id; false when absent or the fields are malformed.
bool findExtra(std::string_view extra, uint16_t id, std::string_view& out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(extra.data());
    size_t n = extra.size(), i = 0;
    while (i + 4 <= n) {
        uint16_t fid = le16(p + i), flen = le16(p + i + 2);
        if (i + 4 + flen > n)
            return false;
        if (fid == id) {
            out = extra.substr(i + 4, flen);
            return true;
        }
        i += 4 + flen;
    }
    return false;
}

} // namespace

CentralDirectory::~CentralDirectory() {
    if (map_)
        ::munmap(const_cast<unsigned char*>(map_), size_);
}

bool CentralDirectory::open(const char* path) {
    const posix::Fd fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return false;
    struct stat st;
    const bool ok = ::fstat(fd.get(), &st) == 0 && map(fd.get(), st);
    return ok && parse();
}

bool CentralDirectory::map(int fd, const struct stat& st) {
    if (map_ || !S_ISREG(st.st_mode) || st.st_size < 22)
        return false;
    size_ = static_cast<size_t>(st.st_size);
    void* m = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (m == MAP_FAILED)
        return false;
    map_ = static_cast<const unsigned char*>(m);
    return true;
}

bool CentralDirectory::parse() {
    if (!map_)
        return false;
    // The end record: the last signature whose comment reaches exactly to the end of the file;
    // failing that (bytes appended after the archive), the last signature at all.
    size_t eocd = SIZE_MAX, loose = SIZE_MAX;
    size_t lowest = size_ > 22 + 65535 ? size_ - 22 - 65535 : 0;
    for (size_t i = size_ - 22 + 1; i-- > lowest;) {
        if (le32(map_ + i) != 0x06054b50)
            continue;
        if (i + 22 + le16(map_ + i + 20) == size_) {
            eocd = i;
            break;
        }
        if (loose == SIZE_MAX)
            loose = i;
    }
    if (eocd == SIZE_MAX)
        eocd = loose;
    if (eocd == SIZE_MAX)
        return false;
    const unsigned char* e = map_ + eocd;
    if (le16(e + 4) != 0 || le16(e + 6) != 0)
        return false; // split archives
    uint64_t entries = le16(e + 10), cdSize = le32(e + 12), cdOffset = le32(e + 16);
    Layout at;
    at.commentAt = eocd + 22;
    at.commentLen = std::min<size_t>(le16(e + 20), size_ - eocd - 22);
    size_t cdEnd = eocd;
    // The zip64 end record, where its locator points or (data in front of the archive moved
    // it) right before the locator. A locator that leads to no such record is bytes of the
    // directory (a name may hold them) unless the end record says the zip64 values are needed.
    if (eocd >= 20 && le32(map_ + eocd - 20) == 0x07064b50) {
        const uint64_t stated = le64(map_ + eocd - 20 + 8);
        const size_t before = eocd >= 20 + 56 ? eocd - 20 - 56 : SIZE_MAX;
        size_t z64 = SIZE_MAX;
        for (uint64_t at : {stated, uint64_t(before)}) {
            if (at != SIZE_MAX && at <= eocd - 20 && eocd - 20 - at >= 56 && le32(map_ + at) == 0x06064b50) {
                z64 = static_cast<size_t>(at);
                break;
            }
        }
        if (z64 != SIZE_MAX) {
            const unsigned char* z = map_ + z64;
            entries = le64(z + 32);
            cdSize = le64(z + 40);
            cdOffset = le64(z + 48);
            cdEnd = z64;
        } else if (entries == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) {
            return false;
        }
    }
    // Where the directory starts. Data in front of the archive (a self-extractor, a prefix)
    // moves every offset by its length: the directory then ends where the end records begin and
    // the recorded offsets are short by that much, as unzip and Python's zipfile read it.
    auto headerAt = [&](uint64_t at) { return at + 4 <= cdEnd && le32(map_ + at) == 0x02014b50; };
    if (cdSize > cdEnd)
        cdSize = cdEnd;
    const uint64_t start = cdEnd - cdSize;
    uint64_t begin;
    if (cdOffset == start || (entries == 0 && cdSize == 0)) {
        begin = start;
    } else if (headerAt(start)) {
        begin = start;
        at.shift = static_cast<int64_t>(start) - static_cast<int64_t>(cdOffset);
    } else if (cdOffset < cdEnd && headerAt(cdOffset)) {
        begin = cdOffset; // the stated size is wrong, the offset right
    } else {
        return false;
    }
    // One cheap pass over the records: every record up to the end records counts, whatever the
    // (16-bit, often too low) member count of the end record says.
    size_t pos = static_cast<size_t>(begin);
    uint64_t found = 0;
    while (pos < cdEnd) {
        if (pos + 46 > cdEnd || le32(map_ + pos) != 0x02014b50)
            break;
        size_t len = 46 + size_t(le16(map_ + pos + 28)) + le16(map_ + pos + 30) + le16(map_ + pos + 32);
        if (pos + len > cdEnd)
            return false;
        pos += len;
        ++found;
    }
    // What may follow the records: nothing, or a digital signature record.
    if (pos < cdEnd && !(pos + 4 <= cdEnd && le32(map_ + pos) == 0x05054b50))
        return false;
    if (found == 0 && entries != 0)
        return false;
    at.begin = static_cast<size_t>(begin);
    at.end = pos;
    at.count = found;
    restore(at);
    return true;
}

void CentralDirectory::restore(const Layout& layout) {
    layout_ = layout;
    pos_ = layout.begin;
    seen_ = 0;
    damaged_ = false;
}

std::string_view CentralDirectory::comment() const {
    return map_
               ? std::string_view(reinterpret_cast<const char*>(map_ + layout_.commentAt), layout_.commentLen)
               : std::string_view();
}

bool CentralDirectory::next(CdEntry& out) {
    if (seen_ >= layout_.count || damaged_)
        return false;
    const size_t len = decode(pos_, out);
    if (len == 0) {
        damaged_ = true;
        return false;
    }
    out.index = seen_++;
    pos_ += len;
    return true;
}

bool CentralDirectory::entryAt(uint64_t record, CdEntry& out) const {
    if (record < layout_.begin || record >= layout_.end || decode(static_cast<size_t>(record), out) == 0)
        return false;
    out.index = 0;
    return true;
}

size_t CentralDirectory::decode(size_t at, CdEntry& out) const {
    if (at + 46 > layout_.end || le32(map_ + at) != 0x02014b50)
        return 0;
    const unsigned char* p = map_ + at;
    size_t nameLen = le16(p + 28), extraLen = le16(p + 30), commentLen = le16(p + 32);
    if (at + 46 + nameLen + extraLen + commentLen > layout_.end)
        return 0;
    out.record = at;
    out.madeBy = p[5];
    out.flags = le16(p + 8);
    out.method = le16(p + 10);
    out.dosTime = le16(p + 12);
    out.dosDate = le16(p + 14);
    out.crc = le32(p + 16);
    out.compSize = le32(p + 20);
    out.size = le32(p + 24);
    out.externalAttr = le32(p + 38);
    out.localOffset = le32(p + 42);
    out.rawName = std::string_view(reinterpret_cast<const char*>(p + 46), nameLen);
    std::string_view raw(reinterpret_cast<const char*>(p + 46), nameLen);
    out.extra = std::string_view(reinterpret_cast<const char*>(p + 46 + nameLen), extraLen);

    std::string_view z64;
    if ((out.size == 0xFFFFFFFF || out.compSize == 0xFFFFFFFF || out.localOffset == 0xFFFFFFFF) &&
        findExtra(out.extra, 0x0001, z64)) {
        const unsigned char* q = reinterpret_cast<const unsigned char*>(z64.data());
        size_t i = 0;
        auto take = [&](uint64_t& v) {
            if (v == 0xFFFFFFFF && i + 8 <= z64.size()) {
                v = le64(q + i);
                i += 8;
            }
        };
        take(out.size);
        take(out.compSize);
        take(out.localOffset);
    }
    out.localOffset += static_cast<uint64_t>(layout_.shift);

    // Name decoding as libzip does it, but for the hosts whose names are bytes.
    std::string_view up;
    if (findExtra(out.extra, 0x7075, up) && up.size() >= 5 && up[0] == 1 &&
        le32(reinterpret_cast<const unsigned char*>(up.data() + 1)) ==
            static_cast<uint32_t>(
                ::crc32(0, reinterpret_cast<const Bytef*>(raw.data()), static_cast<uInt>(raw.size())))) {
        out.name.assign(up.substr(5));
    } else if ((out.flags & 0x800) || validUtf8(raw) || !namesInCodePage437(out.madeBy)) {
        out.name.assign(raw);
    } else {
        out.name.clear();
        for (char ch : raw) {
            unsigned char c = static_cast<unsigned char>(ch);
            appendUtf8(out.name, c < 0x20    ? kCp437Low[c]
                                 : c == 0x7F ? 0x2302
                                 : c < 0x80  ? c
                                             : kCp437[c - 0x80]);
        }
    }
    return 46 + nameLen + extraLen + commentLen;
}

bool CentralDirectory::memberData(const CdEntry& e, std::string_view& data) const {
    if (e.localOffset > size_ || size_ - e.localOffset < 30)
        return false;
    const unsigned char* l = map_ + e.localOffset;
    if (le32(l) != 0x04034b50)
        return false;
    uint64_t start = e.localOffset + 30 + le16(l + 26) + le16(l + 28);
    if (start > size_ || size_ - start < e.compSize)
        return false;
    data = std::string_view(reinterpret_cast<const char*>(map_ + start), static_cast<size_t>(e.compSize));
    return true;
}

void entryTime(const CdEntry& e, unsigned& mo, unsigned& dy, unsigned& yr, unsigned& hh, unsigned& mm) {
    std::string_view ut;
    if (findExtra(e.extra, 0x5455, ut) && ut.size() >= 5 && (ut[0] & 1)) {
        time_t t = static_cast<time_t>(
            static_cast<int32_t>(le32(reinterpret_cast<const unsigned char*>(ut.data() + 1))));
        struct tm tmv {};
        localtime_r(&t, &tmv);
        mo = unsigned(tmv.tm_mon + 1);
        dy = unsigned(tmv.tm_mday);
        yr = unsigned((tmv.tm_year + 1900) % 100);
        hh = unsigned(tmv.tm_hour);
        mm = unsigned(tmv.tm_min);
        return;
    }
    mo = (e.dosDate >> 5) & 15;
    dy = e.dosDate & 31;
    yr = ((e.dosDate >> 9) + 1980) % 100;
    hh = (e.dosTime >> 11) & 31;
    mm = (e.dosTime >> 5) & 63;
}

time_t entryUnixTime(const CdEntry& e, bool& exact) {
    std::string_view ut;
    if (findExtra(e.extra, 0x5455, ut) && ut.size() >= 5 && (ut[0] & 1)) {
        exact = true;
        return static_cast<time_t>(
            static_cast<int32_t>(le32(reinterpret_cast<const unsigned char*>(ut.data() + 1))));
    }
    exact = false;
    struct tm tmv {};
    tmv.tm_year = (e.dosDate >> 9) + 80;
    tmv.tm_mon = ((e.dosDate >> 5) & 15) - 1;
    tmv.tm_mday = e.dosDate & 31;
    tmv.tm_hour = (e.dosTime >> 11) & 31;
    tmv.tm_min = (e.dosTime >> 5) & 63;
    tmv.tm_sec = (e.dosTime & 31) * 2;
    tmv.tm_isdst = -1;
    const time_t t = mktime(&tmv);
    return t == static_cast<time_t>(-1) ? 0 : t;
}

} // namespace korvel::engine

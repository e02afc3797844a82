#include "new_member.h"

#include "le_bytes.h"
#include "posix_io.h"

#include <zlib.h>

#include <ctime>
#include <fcntl.h>
#include <vector>

namespace korvel::engine {

namespace {

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

// The fields of a new member's local header that its central directory record repeats.
struct NewMember {
    const FastItem& item;
    uint16_t method = 0, flags = 0, time = 0, date = 0;
    std::string extra; // the exact time stamp field, unless left out
    uint32_t crc = 0;
    uint64_t size = 0, csize = 0;

    NewMember(const FastItem& it, int level, bool noExtra) : item(it) {
        dosTime(it.st.st_mtime, time, date);
        method = level == 0 ? 0 : 8;
        // The level as the flag bits tell it: maximum (8, 9) or fast (1, 2), as libzip marks them.
        flags = method != 8 ? 0 : level >= 8 ? 2 : level <= 2 ? 4 : 0;
        if (!noExtra) {
            put16(extra, 0x5455);
            put16(extra, 5);
            extra += char(1);
            put32(extra, static_cast<uint32_t>(it.st.st_mtime));
        }
    }

    std::string localHeader() const {
        std::string h;
        put32(h, 0x04034b50);
        put16(h, method == 8 ? 20 : 10);
        put16(h, flags);
        put16(h, method);
        put16(h, time);
        put16(h, date);
        put32(h, crc);
        put32(h, static_cast<uint32_t>(csize));
        put32(h, static_cast<uint32_t>(size));
        put16(h, static_cast<uint16_t>(item.member.size()));
        put16(h, static_cast<uint16_t>(extra.size()));
        return h + item.member + extra;
    }

    std::string centralRecord(uint64_t offset) const {
        const std::string head = localHeader();
        uint32_t attr = static_cast<uint32_t>(item.st.st_mode & 0xFFFF) << 16;
        if (!(item.st.st_mode & S_IWUSR))
            attr |= 0x01;
        std::string rec;
        put32(rec, 0x02014b50);
        put16(rec, 0x0314);      // Unix, 2.0
        rec.append(head, 4, 22); // version needed .. uncompressed size
        put16(rec, static_cast<uint16_t>(item.member.size()));
        put16(rec, static_cast<uint16_t>(extra.size()));
        put16(rec, 0); // comment
        put16(rec, 0); // disk
        put16(rec, 0); // internal attributes
        put32(rec, attr);
        put32(rec, static_cast<uint32_t>(offset));
        rec += item.member;
        rec += extra;
        return rec;
    }
};

// Copies the file `in` to the end of `out`, stored or deflated at `level` as `m` says, counting
// its sizes and checksum into `m`. ZE_OK or a ZE_ error.
int compressData(int in, int out, int level, NewMember& m) {
    z_stream z{};
    if (m.method == 8 && deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return ZE_MEM;
    std::vector<unsigned char> inBuf(1u << 20), outBuf(1u << 20);
    int result = ZE_OK;
    bool eof = false;
    while (result == ZE_OK && !eof) {
        const ssize_t n = posix::readFull(in, inBuf.data(), inBuf.size());
        if (n < 0) {
            result = ZE_READ;
            break;
        }
        eof = static_cast<size_t>(n) < inBuf.size();
        m.size += static_cast<uint64_t>(n);
        m.crc = static_cast<uint32_t>(::crc32(m.crc, inBuf.data(), static_cast<uInt>(n)));
        if (m.method == 0) {
            if (!posix::writeFull(out, inBuf.data(), static_cast<size_t>(n)))
                result = ZE_TEMP;
            m.csize += static_cast<uint64_t>(n);
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
            m.csize += got;
            if (!posix::writeFull(out, outBuf.data(), got)) {
                result = ZE_TEMP;
                break;
            }
        } while (z.avail_out == 0 || (eof && zr != Z_STREAM_END));
    }
    if (m.method == 8)
        deflateEnd(&z);
    return result;
}

} // namespace

// A new member written at `offset`, the end of `out`: its central directory record comes back in
// `rec`. kFastPathDeclined for sizes this path does not write (zip64 members).
int writeMember(int out, uint64_t offset, const FastItem& it, int level, bool noExtra, std::string& rec) {
    posix::Fd in(::open(it.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return ZE_OPEN;
    NewMember m(it, level, noExtra);
    // The header goes first with its sizes blank and is written again once they are known.
    std::string head = m.localHeader();
    if (!posix::writeFull(out, head.data(), head.size()))
        return ZE_TEMP;
    if (int r = compressData(in.get(), out, level, m); r != ZE_OK)
        return r;
    if (m.size >= kMax32 || m.csize >= kMax32)
        return kFastPathDeclined;
    head = m.localHeader();
    if (!posix::pwriteFull(out, head.data(), 30, offset))
        return ZE_TEMP;
    rec = m.centralRecord(offset);
    return ZE_OK;
}

} // namespace korvel::engine

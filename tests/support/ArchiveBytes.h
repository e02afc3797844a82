#pragma once
// RAR 4, RAR 5 and LHA archives built byte by byte from the formats' published layouts, since
// no free tool here writes them. Members are stored (no compression), which every reader must
// accept. Each builder takes its members in order and answers the archive's bytes.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace korvel::test {

struct ByteMember {
    std::string name;
    std::string data;
    enum class Kind { File, Folder, Symlink } kind = Kind::File; // Symlink: data is the target
    std::uint32_t unixTime = 1000000000;                         // 2001-09-09
};

inline std::uint32_t crc32Of(const std::string& s) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// CRC-16 as LHA uses it (polynomial 0xA001, reflected, starting at 0).
inline std::uint16_t crc16Of(const std::string& s) {
    std::uint16_t c = 0;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = static_cast<std::uint16_t>((c >> 1) ^ (0xA001u & (0u - (c & 1u))));
    }
    return c;
}

inline void putLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t dosTime(std::uint32_t unixTime) {
    const time_t t = unixTime;
    struct tm tm {};
    gmtime_r(&t, &tm);
    const std::uint32_t date =
        static_cast<std::uint32_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    const std::uint32_t time =
        static_cast<std::uint32_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return (date << 16) | time;
}

// RAR 1.5-4.x: marker block, main header (flags: volume when asked), one file header per member
// (method 0x30 "store", host OS Unix so that modes and links come through), end of archive.
inline std::string rar4Archive(const std::vector<ByteMember>& members, bool volume = false) {
    std::string out("Rar!\x1a\x07\x00", 7);
    auto block = [&out](const std::string& body) { // body from HEAD_TYPE on
        putLe(out, crc32Of(body) & 0xFFFF, 2);
        out += body;
    };
    std::string main;
    main += '\x73';
    putLe(main, volume ? 0x0001 : 0, 2);
    putLe(main, 13, 2);
    putLe(main, 0, 6);
    block(main);
    for (const auto& m : members) {
        const bool dir = m.kind == ByteMember::Kind::Folder;
        const std::uint32_t mode = dir ? 040755 : m.kind == ByteMember::Kind::Symlink ? 0120777 : 0100644;
        std::string h;
        h += '\x74';
        putLe(h, 0x8000 | (dir ? 0x00E0 : 0), 2);
        putLe(h, 32 + m.name.size(), 2);
        putLe(h, m.data.size(), 4); // packed
        putLe(h, m.data.size(), 4); // unpacked
        h += '\x03';                // host OS: Unix
        putLe(h, crc32Of(m.data), 4);
        putLe(h, dosTime(m.unixTime), 4);
        h += '\x14'; // version 2.0 to unpack
        h += '\x30'; // store
        putLe(h, m.name.size(), 2);
        putLe(h, mode, 4);
        h += m.name;
        block(h);
        out += m.data;
    }
    std::string end;
    end += '\x7b';
    putLe(end, 0x4000, 2);
    putLe(end, 7, 2);
    block(end);
    return out;
}

inline void putVint(std::string& out, std::uint64_t v) {
    do {
        unsigned char b = v & 0x7F;
        v >>= 7;
        if (v)
            b |= 0x80;
        out += static_cast<char>(b);
    } while (v);
}

// RAR 5: signature, main archive header, one file header per member (stored, Unix host, UTF-8
// name, modification time and data CRC32; links as a file system redirection record), end of
// archive header.
inline std::string rar5Archive(const std::vector<ByteMember>& members, bool volume = false) {
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    auto header = [&out](const std::string& fields) { // from Header type on
        std::string sized;
        putVint(sized, fields.size());
        sized += fields;
        putLe(out, crc32Of(sized), 4);
        out += sized;
    };
    std::string main;
    putVint(main, 1); // main archive header
    putVint(main, 0); // header flags
    putVint(main, volume ? 1 : 0);
    header(main);
    for (const auto& m : members) {
        const bool link = m.kind == ByteMember::Kind::Symlink;
        const bool dir = m.kind == ByteMember::Kind::Folder;
        const std::string data = link ? std::string() : m.data;
        std::string extra;
        if (link) {
            std::string rec;
            putVint(rec, 5); // file system redirection
            putVint(rec, 1); // Unix symlink
            putVint(rec, 0);
            putVint(rec, m.data.size());
            rec += m.data;
            putVint(extra, rec.size());
            extra += rec;
        }
        std::string h;
        putVint(h, 2); // file header
        putVint(h, 0x0002 | (extra.empty() ? 0 : 0x0001));
        if (!extra.empty())
            putVint(h, extra.size());
        putVint(h, data.size());
        putVint(h, 0x0002 | 0x0004 | (dir ? 0x0001 : 0)); // mtime, CRC32, folder
        putVint(h, data.size());
        putVint(h, dir ? 040755 : link ? 0120777 : 0100644);
        putLe(h, m.unixTime, 4);
        putLe(h, crc32Of(data), 4);
        putVint(h, 0); // compression: version 0, stored
        putVint(h, 1); // host OS: Unix
        putVint(h, m.name.size());
        h += m.name;
        h += extra;
        header(h);
        out += data;
    }
    std::string end;
    putVint(end, 5);
    putVint(end, 0);
    putVint(end, 0);
    header(end);
    return out;
}

// LHA level 0 headers, method "-lh0-" (stored; "-lhd-" for a folder), MS-DOS time, name as
// given, CRC-16 of the data; a zero byte ends the archive.
inline std::string lhaArchive(const std::vector<ByteMember>& members) {
    std::string out;
    for (const auto& m : members) {
        const bool dir = m.kind == ByteMember::Kind::Folder;
        std::string h; // from the method on
        h += dir ? "-lhd-" : "-lh0-";
        putLe(h, m.data.size(), 4);
        putLe(h, m.data.size(), 4);
        const std::uint32_t t = dosTime(m.unixTime);
        putLe(h, t & 0xFFFF, 2);
        putLe(h, t >> 16, 2);
        h += dir ? '\x10' : '\x20';
        h += '\x00'; // level 0
        h += static_cast<char>(m.name.size());
        h += m.name;
        putLe(h, crc16Of(m.data), 2);
        unsigned sum = 0;
        for (unsigned char c : h)
            sum += c;
        out += static_cast<char>(h.size());
        out += static_cast<char>(sum & 0xFF);
        out += h;
        out += m.data;
    }
    out += '\0';
    return out;
}

} // namespace korvel::test

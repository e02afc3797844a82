// A fast, read-only walk over an archive's central directory, for the listing and print
// requests. libzip builds a full in-memory model of every member when it opens an archive (about
// 2.5 µs per member); a listing or a single print needs only one pass over the directory, which
// this reader does straight from a memory map. Names are decoded exactly as libzip decodes them
// (UTF-8 flag, Info-ZIP Unicode path field, else UTF-8 when valid, else code page 437), so
// member indexes and names agree with the libzip paths. Every offset is bounds-checked; anything
// this reader cannot vouch for (split archives, data before the archive, damaged directories)
// makes open() fail and the caller falls back to libzip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace korvel::engine {

struct CdEntry {
    uint64_t index = 0;
    std::string name; // decoded, UTF-8
    uint16_t flags = 0, method = 0, dosTime = 0, dosDate = 0;
    uint8_t madeBy = 0; // host system
    uint32_t crc = 0, externalAttr = 0;
    uint64_t compSize = 0, size = 0, localOffset = 0;
    std::string_view extra;
    bool encrypted() const { return flags & 1; }
};

class CentralDirectory {
public:
    CentralDirectory() = default;
    ~CentralDirectory();
    CentralDirectory(const CentralDirectory&) = delete;
    CentralDirectory& operator=(const CentralDirectory&) = delete;

    bool open(const char* path);
    // The two halves of open(): map the file open as `fd` (stat `st`), then find and check the
    // directory.
    bool map(int fd, const struct stat& st);
    bool parse();
    uint64_t count() const { return count_; }
    // The next entry; false at the end or when the directory turns out damaged (then `damaged()`).
    bool next(CdEntry& e);
    bool damaged() const { return damaged_; }
    std::string_view comment() const { return comment_; }

    // The member's stored bytes (after its local header); empty view when out of bounds.
    bool memberData(const CdEntry& e, std::string_view& data) const;

private:
    const unsigned char* map_ = nullptr;
    size_t size_ = 0;
    uint64_t count_ = 0, seen_ = 0;
    size_t pos_ = 0, end_ = 0;
    bool damaged_ = false;
    std::string_view comment_;
};

// Member time as unzip shows it: the extended timestamp field when present (local time), else
// the DOS date and time fields as stored.
void entryTime(const CdEntry& e, unsigned& mo, unsigned& dy, unsigned& yr, unsigned& hh, unsigned& mm);

} // namespace korvel::engine

// The one reader of an archive's central directory, behind the listing, print and extraction
// requests alike, so that all three read the same archives. It walks the directory straight from
// a memory map in one pass. It reads archives as unzip and Python's zipfile do: data in front of
// the archive (self-extractors) moves every offset by its length, the member count of the end
// record is not trusted (every record up to the end records counts), a zip64 locator that leads
// nowhere is taken for bytes of a name, and sizes and offsets come from the central directory
// (the local header only tells where the data begins). Names are decoded as libzip decodes them
// (UTF-8 flag, Info-ZIP Unicode path field, else UTF-8 when valid, else code page 437), except
// that names written on hosts other than DOS, OS/2 and Windows stay the bytes stored, as unzip
// keeps them. Every offset is bounds-checked; split archives and damaged directories make open()
// fail.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace korvel::engine {

struct CdEntry {
    uint64_t index = 0;       // position in the directory (0 when read by entryAt())
    uint64_t record = 0;      // where its central record lies in the file
    std::string name;         // decoded: UTF-8, or the stored bytes of a Unix name
    std::string_view rawName; // as stored (only while the reader's map lives)
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
    uint64_t count() const { return layout_.count; }
    // The next entry; false at the end or when the directory turns out damaged (then `damaged()`).
    bool next(CdEntry& e);
    bool damaged() const { return damaged_; }
    std::string_view comment() const;

    // Where parse() found the directory: kept with an index, and given back to a later map of the
    // same, unchanged file instead of parsing it again.
    struct Layout {
        size_t begin = 0, end = 0; // the records
        uint64_t count = 0;
        int64_t shift = 0; // length of the data in front of the archive
        size_t commentAt = 0, commentLen = 0;
    };
    const Layout& layout() const { return layout_; }
    void restore(const Layout& layout);
    // The entry whose central record starts at `record`; false when no record of the directory
    // starts there.
    bool entryAt(uint64_t record, CdEntry& e) const;

    // The member's stored bytes (after its local header); empty view when out of bounds.
    bool memberData(const CdEntry& e, std::string_view& data) const;

private:
    // The record at `at` decoded into `e`; its length, or 0 when it is no record within the
    // directory.
    size_t decode(size_t at, CdEntry& e) const;

    const unsigned char* map_ = nullptr;
    size_t size_ = 0;
    Layout layout_;
    uint64_t seen_ = 0;
    size_t pos_ = 0;
    bool damaged_ = false;
};

// Member time as unzip shows it: the extended timestamp field when present (local time), else
// the DOS date and time fields as stored.
void entryTime(const CdEntry& e, unsigned& mo, unsigned& dy, unsigned& yr, unsigned& hh, unsigned& mm);

// The member's modification time as a Unix time: the extended timestamp field when present
// (`exact`), else the DOS date and time read as local time (two-second steps).
time_t entryUnixTime(const CdEntry& e, bool& exact);

} // namespace korvel::engine

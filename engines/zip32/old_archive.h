// The archive the zip engine's raw-copy path rewrites, as that path reads it: the end records,
// the central directory and its records, and where each member ends. It takes only archives it
// fully understands (one disk, members end to end from the first byte, no encrypted directory);
// for anything else the readers answer false and libzip does the work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::engine {

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

// The end records of the archive.
struct Layout {
    uint64_t entries = 0, cdSize = 0, cdOffset = 0;
    bool zip64 = false;
    std::string comment;
    std::string zip64Head; // made-by and version needed of the old zip64 end record
};

// The old archive as the fast path reads it: its end records, its central directory and the
// records in it, and where its members start (sorted).
struct OldArchive {
    Layout lay;
    std::string cd;
    std::vector<Record> recs;
    std::vector<uint64_t> starts;
};

// Finds the extra field `id` in `extra`: its data at `at`, `len` bytes long.
bool findExtra(std::string_view extra, uint16_t id, size_t& at, size_t& len);

// Reads the old archive's directory. False when the fast path cannot take the archive: the
// members must lie end to end from the first byte, each where its record says: sorted offsets,
// distinct, the first at 0, all before the directory.
bool readOldArchive(int in, uint64_t size, OldArchive& old);

// Where the member at `r` ends: its local header, data and data descriptor. 0 when unreadable.
// With a data descriptor the length is ambiguous (signature optional, 4 or 8 byte sizes); the
// candidate that reaches exactly `next` (where the following member begins) wins.
uint64_t memberEnd(int fd, const Record& r, uint64_t next);

} // namespace korvel::engine

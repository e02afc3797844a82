#pragma once
// One row of a file list: a folder, a file or a drive (a mounted volume).

#include <cstdint>
#include <string>

namespace korvel::files {

enum class EntryKind : std::uint8_t { Dir, File, Drive };

// The attribute bits a listing may admit (FileType of a file list), with the values of the
// Windows attribute flags they stand for.
enum FileAttr : unsigned {
    ftReadOnly = 0x01,
    ftHidden = 0x02,
    ftSystem = 0x04,
    ftArchive = 0x20,
    ftNormal = 0x80,
};

// Attributes of an entry on Linux: read-only when the owner's write bit is clear, hidden when the
// name begins with ".", system when it is neither a regular file nor a folder. No archive bit.
enum EntryAttr : std::uint8_t {
    attrReadOnly = 0x01,
    attrHidden = 0x02,
    attrSystem = 0x04,
};

struct Entry {
    std::string name;         // caption: the name on disk, or a drive's display name
    std::string root;         // drives only: the volume root, ending in "/"
    std::string driveType;    // drives only: "Fixed", "Remote", "CDROM", ...
    std::uint64_t size = 0;   // bytes; drives: total bytes
    std::uint64_t free = 0;   // drives only: bytes available to the user
    std::int64_t mtime = 0;   // last write, seconds since the epoch (UTC)
    std::uint32_t typeId = 0; // index into the type table (TypeKeys)
    std::uint8_t attrs = 0;   // EntryAttr bits
    EntryKind kind = EntryKind::File;
    bool mtimeValid = false;
};

} // namespace korvel::files

// A name index of the central directories of the last archives printed from, kept for the life of
// the process. The description lookup asks for up to four members of the same archive in a row,
// and the browser asks again whenever the user comes back to an archive: walking a directory of
// 100,000 members costs milliseconds, a lookup in the index microseconds.
//
// The first print request of plain names on an archive builds the index during the walk it
// makes anyway, and the index is lean (8 to 16 bytes a member): no names and no member data, only
// where each member's central record lies in the file and the top bits of the hash of its decoded
// name. A lookup decodes the records whose hash bits match from the caller's own map of the file
// and compares their decoded names, so it answers what a walk over the directory would. The last
// two archives' indexes are kept; requests with wildcards walk the directory.
//
// An index is valid only for the file it was read from: every request compares the archive's
// device, inode, size, change and modification times (to the nanosecond) with the ones the index
// was built from, so an archive that was rewritten or replaced is read again. Should the file
// change without its stamp telling (coarse time stamps), a lookup that finds no record where the
// index says drops the cache and reads the directory again; every record is bounds-checked
// against the current map either way.
#pragma once

#include "central_dir.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace korvel::engine {

// What identifies one version of an archive file.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
    static FileStamp of(const struct stat& st);
    bool operator==(const FileStamp&) const = default;
};

// One archive's directory layout, with a hash index of its members' names folded to lower case
// (ASCII, as the name patterns fold).
class DirIndex {
public:
    // Walks the directory of `cd` (just parsed) once; nullptr when the reader cannot vouch for it
    // (or its directory spans a terabyte or more).
    static std::shared_ptr<const DirIndex> build(CentralDirectory& cd);

    const CentralDirectory::Layout& layout() const { return layout_; }
    // What the cache weighs.
    size_t weight() const { return slots_.size() * sizeof(uint64_t); }
    // Appends the members whose name equals `name` (ignoring ASCII case when asked), decoded from
    // `cd`, a map of the file the index was built from, in no particular order (their `record`
    // gives the directory order). False when a record is not where the index says (the file
    // changed).
    bool find(const CentralDirectory& cd, std::string_view name, bool ignoreCase,
              std::vector<CdEntry>& out) const;

private:
    CentralDirectory::Layout layout_;
    // Open addressing. 0 = empty, else the top bits of the name's hash over the record's offset
    // from the directory's start plus one.
    std::vector<uint64_t> slots_;
};

// The index for the archive `path` whose file is mapped in `cd` (by map(), with stat `st`): from
// the cache when that file is unchanged (`cd` then takes the layout kept with it), else `cd` is
// parsed and walked once and the index kept. nullptr when the direct reader cannot vouch for the
// directory. Thread-safe.
std::shared_ptr<const DirIndex> cachedIndex(const char* path, CentralDirectory& cd, const struct stat& st);

// Drops every cached index (tests, memory pressure, an index found stale).
void clearDirCache();

} // namespace korvel::engine

// The parsed central directories of the last archives printed from, kept for the life of the
// process. The description lookup asks for up to four members of the same archive in a row, and
// the browser asks again whenever the user comes back to an archive: parsing a directory of
// 100,000 members costs milliseconds, a lookup in the name index microseconds.
//
// An entry is valid only for the file it was read from: every request compares the archive's
// device, inode, size, change and modification times (to the nanosecond) with the ones the index
// was built from, so an archive that was rewritten or replaced is read again.
#pragma once

#include "central_dir.h"

#include <cstdint>
#include <memory>
#include <string>
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

// One archive's members, in directory order, with a hash index of their names folded to lower
// case (ASCII, as the name patterns fold).
class DirIndex {
public:
    struct Member {
        uint64_t compSize, size, localOffset;
        uint32_t crc;
        uint32_t nameOff, nameLen; // in names_
        uint16_t flags, method;
    };

    // Reads the whole directory; nullptr when the direct reader cannot vouch for it.
    static std::shared_ptr<const DirIndex> build(CentralDirectory& cd);

    size_t count() const { return members_.size(); }
    const Member& member(size_t i) const { return members_[i]; }
    std::string_view name(size_t i) const {
        return std::string_view(names_.data() + members_[i].nameOff, members_[i].nameLen);
    }
    std::string_view comment() const { return comment_; }
    // The directory's bytes plus the index: what the cache weighs.
    size_t weight() const { return names_.size() + members_.size() * sizeof(Member) + slots_.size() * 4; }
    // Indexes of the members whose name equals `name` (ignoring ASCII case when asked), in
    // directory order.
    void find(std::string_view name, bool ignoreCase, std::vector<size_t>& out) const;
    // The member as the readers take it.
    CdEntry entry(size_t i) const;

private:
    std::vector<Member> members_;
    std::string names_;
    std::string comment_;
    std::vector<uint32_t> slots_; // open addressing: member index + 1, 0 = empty
};

// Whether two member names are equal, ignoring ASCII case when asked (as the index compares).
bool sameMemberName(std::string_view a, std::string_view b, bool ignoreCase);

// The index for the archive `path` whose file is mapped in `cd` (by map(), with stat `st`): from
// the cache when that file is unchanged, else read from `cd` and kept. The first request on an
// archive builds nothing: it gets nullptr with `firstAsk` set, `cd` parsed, and walks the
// directory itself; the index is built when the same file is asked again. nullptr (with
// `firstAsk` false) when the direct reader cannot vouch for the directory. Thread-safe.
std::shared_ptr<const DirIndex> cachedIndex(const char* path, CentralDirectory& cd, const struct stat& st,
                                            bool& firstAsk);

// Drops every cached index (tests, and memory pressure).
void clearDirCache();

} // namespace korvel::engine

// Adding or replacing a few plain files in an existing archive without libzip: the untouched
// members are copied as raw bytes (local header, data, data descriptor) in large blocks, the new
// members are compressed after them, and a new central directory follows. libzip copies each
// member through small buffers, which for a description saved into a large archive costs several
// times the copy itself.
//
// Only archives this code fully understands take this path: one disk, members laid end to end
// from the first byte, no encrypted directory, directory records it can rewrite. For anything
// else it answers kFastPathDeclined before touching anything, and the caller uses libzip.
#pragma once

#include "zipengines.h"

#include <string>
#include <sys/stat.h>
#include <vector>

namespace korvel::engine {

struct FastItem {
    std::string path;   // the file on disk
    std::string member; // its name in the archive
    struct stat st;
};

constexpr int kFastPathDeclined = -1;

// Writes `archive` anew with `items` added (a member of the same name is replaced in place in
// the directory order) at `level` ('0' stores), with the exact time stamp field unless
// `noExtra`. The new archive is written to a temporary file beside the old one, synced, given
// the old one's permissions and renamed over it; on any failure the temporary is removed and the
// archive is left byte for byte as it was. Returns ZE_OK, a ZE_ error, or kFastPathDeclined.
int fastAdd(const std::string& archive, const std::vector<FastItem>& items, char level, bool noExtra);

} // namespace korvel::engine

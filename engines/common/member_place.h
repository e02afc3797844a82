// Where an archive member may be written below a destination folder, whatever the archive says;
// shared by the unzip engine and the core's extractor.
//
// A member's name is split into folder components; an absolute name or a ".." component refuses
// the member when folders are kept (without folders only the bare file name is used). Folders are
// opened one by one without following links, so neither a link stored in the archive nor one
// already on disk can lead a write elsewhere. A link's target is judged by resolving it the way
// the system will, through every link already in the destination. Files are made under a
// temporary name beside their place and renamed over it once complete.
#pragma once

#include "posix_io.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel::engine {

struct MemberPlace {
    std::vector<std::string> dirs; // folders below the destination
    std::string leaf;              // file name; empty for a folder
};

enum class PlaceCheck { Ok, Unsafe, Nothing };

// The place of member `name` ("\\" counts as "/"): Unsafe when it would leave the destination,
// Nothing when there is nothing to make (a folder without paths, an empty name).
PlaceCheck placeFor(std::string_view name, bool isFolder, bool withPaths, bool spaceToUnderscore,
                    MemberPlace& place);

// The components of a "/"-separated path, empty ones included.
std::vector<std::string> pathComponents(std::string_view path);

// Creates the folder `dir` and its parents where missing (following the user's links).
bool makeFolders(const std::string& dir);

// Opens the folder chain `dirs` below `root`, creating missing folders when `create`, never
// following a link. Not valid on failure, with `unsafe` set when a component is a link or not a
// folder.
posix::Fd openFolders(int root, const std::vector<std::string>& dirs, bool create, bool& unsafe);

// Whether a link in folder `linkDirs` below `root` with `target` resolves inside `root`, through
// the links already there (an absolute link, or one climbing above `root`, leaves).
bool linkStaysInside(int root, const std::vector<std::string>& linkDirs, std::string_view target);

// A fresh hidden name for a member being written.
std::string temporaryName();

// When `ok`, renames `tmp` over `leaf` in folder `dir`; whatever fails, `tmp` is removed. Whether
// `leaf` now holds the new member.
bool putInPlace(int dir, const std::string& tmp, const std::string& leaf, bool ok);

} // namespace korvel::engine

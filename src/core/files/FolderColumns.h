#pragma once
// The rows of a drive listing and the texts of a file list's five columns, as bytes: the name
// column holds the name's own bytes, the others are ASCII or UTF-8. Shared by the file list
// view and korvel-cli.

#include "core/files/Entry.h"
#include "core/files/MountedVolumes.h"
#include "core/files/TypeNames.h"

#include <string>
#include <vector>

namespace korvel::files {

inline constexpr int FolderColumnCount = 5;

// One row per volume, in the volumes' order.
std::vector<Entry> driveEntries(const std::vector<MountedVolume>& volumes);

// Folder listing: name, size, type, modified, attributes. Drive listing: name, type, disk size,
// free space, nothing.
std::string columnText(const Entry& e, int column, bool drives, TypeNames& types);

} // namespace korvel::files

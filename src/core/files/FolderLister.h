#pragma once
// The folder listing behind the file list view. Pass 1 takes every folder, pass 2 takes, for each
// piece of the mask in order (split at ";", blanks kept), every file matching it; a file matching
// two pieces is listed twice. An entry is admitted only when each of its special attributes
// (read-only, hidden, system) is in the FileType filter; "." and ".." never appear.
// The listed files are never opened: names come from the directory, the rest from stat.

#include "core/files/Entry.h"
#include "core/files/TypeKeys.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel::files {

std::vector<std::string_view> splitMask(std::string_view mask);

// Lists dir (an absolute folder path, with or without trailing "/"). A folder that cannot be
// read gives an empty list. When types is given, every entry gets its type id from it.
std::vector<Entry> listFolder(const std::string& dir, std::string_view mask, unsigned fileType,
                              TypeKeys* types = nullptr);

// Joins a listed folder and an entry name into the entry's full path.
std::string joinPath(std::string_view dir, std::string_view name);

} // namespace korvel::files

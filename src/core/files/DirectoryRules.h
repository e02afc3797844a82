#pragma once
// The rules of a file list's Directory: the "drives" pseudo-folder (any capitalisation, kept as
// given), folders stored with a trailing "/", folders that do not exist ignored, going up one
// level, and the drive part of a path (the root of the volume holding it).

#include <string>
#include <string_view>
#include <vector>

namespace korvel::files {

bool isDrivesName(std::string_view s);

struct DirectoryChange {
    enum Kind { Ignore, Drives, Folder } kind = Ignore;
    std::string value; // the new Directory
};

// What writing `requested` to a list showing `current` does. A relative path is taken from the
// current folder; "." and ".." parts are resolved; the result must be an existing folder.
DirectoryChange changeDirectory(std::string_view current, std::string_view requested);

bool isDirectory(const std::string& path);

// The root among volumeRoots ("/", "/home", "/media/usb") that holds path, the longest that
// fits; empty for the drives pseudo-folder or when none fits.
std::string drivePart(std::string_view path, const std::vector<std::string>& volumeRoots);

// The Directory one level up from dir: "Drives" from "/" or from a volume root, else the parent
// folder with its trailing "/". Empty when dir is the drives pseudo-folder (nothing to do).
std::string upOneLevel(std::string_view dir, const std::vector<std::string>& volumeRoots);

} // namespace korvel::files

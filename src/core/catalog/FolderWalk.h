#pragma once
// The archives below the folders a catalogue is made of. Names are kept exactly as the file
// system gives them (bytes, whatever their encoding); each folder's archives come in name order
// (letter case folded for ASCII, then byte order), before those of its subfolders. Folders
// reached twice through links are walked once.

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::catalog {

struct ArchiveFile {
    std::string path; // the folder as given, joined with the names below it by "/"
    std::string name; // how the listing names it: the path below its folder ("sub/GAME.ZIP")
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0; // modification time, nanoseconds since 1970 (UTC)
    std::string format;       // a word of ArchiveFormat.h
};

struct WalkOptions {
    bool recursive = false;
    // Files never listed, whatever they hold (the catalogue's own output and cache).
    std::vector<std::string> skip;
};

struct WalkResult {
    std::vector<ArchiveFile> archives;
    std::vector<std::string> problems; // "folder: reason" for each folder that could not be read
};

WalkResult walkFolders(const std::vector<std::string>& folders, const WalkOptions& options);

} // namespace korvel::catalog

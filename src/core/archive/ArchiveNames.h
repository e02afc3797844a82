#pragma once
// Archive files as the file lists know them, by name only (lists never open files): the masks
// that add them to the browser's list, and the type name of each extension key.

#include <string_view>

namespace korvel {

// The browser pane's masks for the archives read through the archive reader, ";"-joined.
inline constexpr std::string_view kReaderArchiveMasks =
    "*.7z;*.rar;*.lzh;*.lha;*.cab;*.iso;*.tar;*.tgz;*.tar.gz;*.tbz;*.tbz2;*.tar.bz2;*.txz;*.tar.xz;"
    "*.tzst;*.tar.zst;*.tlz;*.tar.lz;*.tar.lzma;*.tar.z;*.cpio";

// The type name for a file-list key (the lower-cased extension, or "tar.gz" and the like for
// compressed tar archives); empty when the key is not one of these archives.
std::string_view archiveTypeName(std::string_view key);

} // namespace korvel

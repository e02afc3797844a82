#pragma once
// What the first bytes of an archive file say about volumes, before libarchive reads it: a RAR
// archive marked as one volume of a set, or a 7-Zip archive whose headers lie beyond the end of
// the file (the first part of a split archive, or a truncated one).

#include <string>
#include <string_view>

namespace korvel {

enum class VolumeSniff {
    Whole,       // nothing says otherwise
    RarVolume,   // a RAR 4 or RAR 5 archive whose main header carries the volume flag
    SevenZipCut, // a 7-Zip archive whose header lies beyond the end of the file
};

// `head` holds the file's first bytes (64 are enough), `fileSize` the file's size.
VolumeSniff sniffVolume(std::string_view head, unsigned long long fileSize);

// Whether a file name reads like a part of a set: ".001", ".r00", ".z01", ".part2.rar".
bool looksLikeVolumeName(std::string_view fileName);

} // namespace korvel

#pragma once
// Which files of a folder are archives, and of which format. The first bytes decide when they
// name a known format; a known archive extension makes a file an archive too, so that a damaged
// "GAME.ZIP" whose bytes say nothing is still listed (as damaged) instead of left out.

#include "core/archive/ArchiveReader.h"

#include <string>
#include <string_view>

namespace korvel::catalog {

// The format word for what the bytes at the start of a file show ("zip", "7z", "rar", "lha",
// "cab", "arj", "gzip", "bzip2", "xz", "zstd", "cpio", "tar", "iso"), or an empty string. `head` is the
// file's first bytes: 8 are enough for most formats, tar needs 262, ISO 9660 32774.
std::string formatFromContent(std::string_view head);

// The format word a file name's extension stands for ("GAME.ZIP" gives "zip", "x.tar.gz"
// "gzip"), or an empty string. Letter case does not count.
std::string formatFromName(std::string_view fileName);

// The format word an archive the archive reader detected as `format` is listed under ("7z",
// "tar", ...); "" for None.
std::string_view formatWord(korvel::ArchiveFormat format);

// How many leading bytes formatFromContent may look at.
inline constexpr std::size_t kFormatProbeBytes = 32774;

} // namespace korvel::catalog

#pragma once
// The archive commands of korvel-cli on archives of other formats than ZIP (7-Zip, RAR, LHA,
// CAB, ISO 9660, tar, cpio), read through the archive reader. Each returns the exit code: 0 done,
// 1 failed (the reason on stderr).

#include "core/archive/ArchiveReader.h"

#include <string>

namespace korvel::cli {

int listWithReader(const std::string& archive);
int printWithReader(const std::string& archive, const std::string& member, bool caseSensitive);
int extractWithReader(const std::string& archive, const std::string& destination,
                      const ExtractRequest& request);

} // namespace korvel::cli

#pragma once
// The listing line of the Extract dialog and `korvel-cli list` for a member the archive reader
// reports: its size, its time in local time (year modulo 100, as the unzip engine reports
// it) and its name. A member without a time shows zeros.

#include "core/archive/ArchiveReader.h"

#include <string>

namespace korvel {

std::string listingLineFor(const ArchiveEntry& entry);

} // namespace korvel

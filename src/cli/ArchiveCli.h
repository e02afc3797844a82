#pragma once
// Helpers shared by the archive commands of korvel-cli.

#include <cstdio>

namespace korvel::cli {

// Loads the unzip engine, and the zip engine too when `writes`; on failure prints which
// library is missing and returns false.
bool loadArchiveEngines(bool writes = false);

} // namespace korvel::cli

#pragma once
// Helpers shared by the archive commands of korvel-cli.

#include <cstdio>

namespace korvel::cli {

// Loads the engines; on failure prints which library is missing and returns false.
bool loadArchiveEngines();

} // namespace korvel::cli

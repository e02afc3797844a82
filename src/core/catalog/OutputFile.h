#pragma once
// Writing a whole file so that nobody ever sees half of it: the bytes go to a temporary beside
// the file, which is flushed to disk and renamed over it only when complete. A run stopped
// midway leaves the old file (or none) and no temporary.

#include <string>
#include <string_view>

namespace korvel::catalog {

// Writes `bytes` to `path`. A file already there keeps its permissions; a new one gets the
// usual ones (0666 less the umask). False with `error` set when nothing was written.
bool writeFileWhole(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Removes the temporary being written at this moment, if any. Safe in a signal handler: the
// handler for Ctrl+C calls it before the process ends.
void removePendingTemporary();

} // namespace korvel::catalog

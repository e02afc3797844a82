#include "core/catalog/OutputFile.h"

#include "posix_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace korvel::catalog {
namespace {

// The temporary being written, for removePendingTemporary (no allocation there).
std::atomic<const char*> pending{nullptr};

// Marks the temporary of `file` as pending for as long as it lives.
class PendingMark {
public:
    explicit PendingMark(const posix::AtomicReplace& file) { pending.store(file.temporaryPath()); }
    ~PendingMark() { pending.store(nullptr); }
    PendingMark(const PendingMark&) = delete;
    PendingMark& operator=(const PendingMark&) = delete;
};

} // namespace

bool writeFileWhole(const std::string& path, std::string_view bytes, std::string* error) {
    posix::AtomicReplace file(path);
    PendingMark mark(file); // before the temporary exists, so that no moment goes unmarked
    if (file.create(posix::keptMode(path)) && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = path + ": " + std::strerror(errno);
    file.discard(); // while still marked
    return false;
}

void removePendingTemporary() {
    if (const char* name = pending.load())
        ::unlink(name);
}

} // namespace korvel::catalog

#include "core/catalog/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::catalog {
namespace {

// The temporary being written, for removePendingTemporary (no allocation there).
char pending[PATH_MAX + 1];
std::atomic<bool> havePending{false};

mode_t defaultMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

bool fail(std::string* error, const std::string& what) {
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool writeFileWhole(const std::string& path, std::string_view bytes, std::string* error) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "." + base + ".XXXXXX";
    if (temp.size() > PATH_MAX) {
        errno = ENAMETOOLONG;
        return fail(error, path);
    }
    std::memcpy(pending, temp.c_str(), temp.size() + 1);
    havePending.store(true);
    const int fd = ::mkstemp(pending);
    if (fd < 0) {
        havePending.store(false);
        return fail(error, path);
    }
    temp = pending;
    struct stat st;
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : defaultMode();
    ::fchmod(fd, mode);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            havePending.store(false);
            errno = err;
            return fail(error, path);
        }
        done += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    const bool closed = ::close(fd) == 0;
    if (!synced)
        errno = syncError;
    if (!synced || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        havePending.store(false);
        errno = err;
        return fail(error, path);
    }
    havePending.store(false);
    return true;
}

void removePendingTemporary() {
    if (havePending.load())
        ::unlink(pending);
}

} // namespace korvel::catalog

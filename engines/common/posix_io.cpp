#include "posix_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::posix {

void Fd::reset(int fd) noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool Fd::close() noexcept {
    if (fd_ < 0)
        return true;
    // Linux frees the descriptor even when close fails (EINTR included): never close it twice.
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

namespace {

// Runs `step(done)` until `size` bytes are done: step returns what one call moved, 0 at the end
// of the input, -1 on an error. Interrupted calls are made again.
template <typename Step> ssize_t loopFull(std::size_t size, Step step) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool allWritten(ssize_t n, std::size_t size) {
    if (n == static_cast<ssize_t>(size))
        return true;
    if (n >= 0)
        errno = EIO; // the file took nothing more
    return false;
}

} // namespace

bool writeFull(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    return allWritten(loopFull(size, [&](std::size_t done) { return ::write(fd, p + done, size - done); }),
                      size);
}

bool pwriteFull(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    return allWritten(loopFull(size,
                               [&](std::size_t done) {
                                   return ::pwrite(fd, p + done, size - done,
                                                   static_cast<off_t>(offset + done));
                               }),
                      size);
}

ssize_t readFull(int fd, void* buffer, std::size_t size) {
    auto* p = static_cast<char*>(buffer);
    return loopFull(size, [&](std::size_t done) { return ::read(fd, p + done, size - done); });
}

ssize_t preadFull(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* p = static_cast<char*>(buffer);
    return loopFull(size, [&](std::size_t done) {
        return ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
    });
}

mode_t creationMask() {
    static const mode_t mask = [] {
        if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
            char line[256];
            unsigned m = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, f))
                found = std::sscanf(line, "Umask: %o", &m) == 1;
            std::fclose(f);
            if (found)
                return static_cast<mode_t>(m);
        }
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

mode_t keptMode(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    return 0666 & ~creationMask();
}

std::string linkTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    Fd d(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (d.valid())
        ::fsync(d.get());
}

AtomicReplace::AtomicReplace(const std::string& target) : target_(target) {
    // A hidden name beside the target; a long name is cut so that the temporary's stays legal.
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.size() > 200)
        base.resize(200);
    const std::string temp = dir + "." + base + ".XXXXXX";
    if (temp.size() < sizeof temp_)
        std::memcpy(temp_, temp.c_str(), temp.size() + 1);
}

AtomicReplace::~AtomicReplace() {
    discard();
}

bool AtomicReplace::create(mode_t mode) {
    if (made_ || fd_.valid()) {
        errno = EBUSY;
        return false;
    }
    if (!temp_[0]) {
        errno = ENAMETOOLONG;
        return false;
    }
    fd_.reset(::mkostemp(temp_, O_CLOEXEC));
    if (!fd_.valid())
        return false;
    made_ = true;
    if (::fchmod(fd_.get(), mode) != 0) {
        const int err = errno;
        discard();
        errno = err;
        return false;
    }
    return true;
}

bool AtomicReplace::sync() {
    return ::fsync(fd_.get()) == 0;
}

bool AtomicReplace::commit() {
    if (!made_) {
        errno = EBADF;
        return false;
    }
    bool ok = sync();
    int err = errno;
    if (!fd_.close() && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp_, target_.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        discard();
        errno = err;
        return false;
    }
    made_ = false; // it is the target now
    syncFolderOf(target_);
    return true;
}

void AtomicReplace::discard() noexcept {
    const int err = errno;
    fd_.reset();
    if (made_) {
        ::unlink(temp_);
        made_ = false;
    }
    errno = err;
}

bool replaceFile(const std::string& path, std::string_view bytes, mode_t mode, std::string* error) {
    AtomicReplace file(path);
    if (file.create(mode) && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = path + ": " + std::strerror(errno);
    return false;
}

} // namespace korvel::posix

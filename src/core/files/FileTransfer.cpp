#include "core/files/FileTransfer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace korvel::files {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;   // read/write chunk
constexpr std::size_t kKernelChunk = 16 << 20; // copy_file_range chunk (a cancel check each)
constexpr std::uint64_t kHashSeed = 0x6a09e667f3bcc909ULL;

// A fast running checksum of a byte stream, fed in pieces of any size.
class StreamHash {
public:
    void add(const char* p, std::size_t n) {
        length_ += n;
        while (n > 0 && fill_ > 0) {
            push(static_cast<unsigned char>(*p++));
            --n;
        }
        while (n >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            mix(w);
            p += 8;
            n -= 8;
        }
        while (n-- > 0)
            push(static_cast<unsigned char>(*p++));
    }
    std::uint64_t value() const {
        std::uint64_t h = h_;
        if (fill_)
            h = (h ^ pending_) * 0x9e3779b97f4a7c15ULL;
        return h ^ length_;
    }

private:
    void push(unsigned char c) {
        pending_ |= std::uint64_t(c) << (8 * fill_);
        if (++fill_ == 8) {
            mix(pending_);
            pending_ = 0;
            fill_ = 0;
        }
    }
    void mix(std::uint64_t w) {
        h_ = (h_ ^ w) * 0x9e3779b97f4a7c15ULL;
        h_ ^= h_ >> 29;
    }
    std::uint64_t h_ = kHashSeed, pending_ = 0, length_ = 0;
    unsigned fill_ = 0;
};

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

std::string parentOf(const std::string& path) {
    auto p = std::filesystem::path(path).parent_path().string();
    return p.empty() ? std::string(".") : p;
}

bool procFdUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

bool writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// The new file: unnamed (O_TMPFILE) when the file system allows it, else a hidden name that is
// removed again unless the file is published.
class NewFile {
public:
    ~NewFile() {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    int open(const std::string& target) {
        target_ = target;
        if (procFdUsable()) {
            int fd = ::open(parentOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.reset(fd);
                return 0;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
                return errno;
        }
        for (int tries = 0; tries < 100; ++tries) {
            std::string name = FileTransfer::temporaryName(target);
            int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.reset(fd);
                name_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }
    int fd() const { return fd_.get(); }
    // Gives the complete file its name; 0 or an errno value.
    int publish(bool replace) {
        int err = 0;
        if (name_.empty()) {
            std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
            if (!replace) {
                if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0)
                    return errno;
                return 0;
            }
            // Replacing: link under a hidden name first, then rename over the old file in one step.
            for (int tries = 0; tries < 100; ++tries) {
                std::string name = FileTransfer::temporaryName(target_);
                if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                    name_ = name;
                    break;
                }
                if (errno != EEXIST)
                    return errno;
            }
            if (name_.empty())
                return EEXIST;
        }
        if (!FileTransfer::publish(name_, target_, replace, err))
            return err;
        name_.clear();
        return 0;
    }

private:
    Fd fd_;
    std::string target_, name_;
};

} // namespace

std::string errorText(int err) {
    return std::strerror(err);
}

FileTransfer::FileTransfer() : buffer_(kBufferSize) {}

TransferStatus FileTransfer::fail(int err) {
    return fail(errorText(err));
}

TransferStatus FileTransfer::fail(const std::string& text) {
    error_ = text;
    return TransferStatus::Failed;
}

std::string FileTransfer::temporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char tag[64];
    std::snprintf(tag, sizeof tag, ".korvel-%d-%u-%llx.part", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned long long>(now) & 0xffffff);
    std::filesystem::path t(target);
    std::string base = t.filename().string();
    if (base.size() > 160)
        base.resize(160);
    return (t.parent_path() / ("." + base + tag)).string();
}

bool FileTransfer::publish(const std::string& tmp, const std::string& target, bool replace, int& err) {
    if (replace) {
        if (::rename(tmp.c_str(), target.c_str()) == 0)
            return true;
        err = errno;
        return false;
    }
    if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        err = errno;
        return false;
    }
    // The file system cannot rename without replacing: a hard link fails on an existing name.
    if (::link(tmp.c_str(), target.c_str()) == 0) {
        ::unlink(tmp.c_str());
        return true;
    }
    if (errno == EEXIST) {
        err = EEXIST;
        return false;
    }
    // No hard links either (some foreign file systems): look, then rename.
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
        err = EEXIST;
        return false;
    }
    if (::rename(tmp.c_str(), target.c_str()) == 0)
        return true;
    err = errno;
    return false;
}

bool copyAttributes(const std::string& path, const struct stat& st) {
    bool ok = true;
    if (!S_ISLNK(st.st_mode))
        ok = ::chmod(path.c_str(), st.st_mode & 07777) == 0;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 && ok;
}

TransferStatus FileTransfer::copyFile(const std::string& src, const struct stat& st,
                                      const std::string& target, const TransferOptions& o) {
    Fd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0)
        return fail(errno);
    struct stat ist;
    if (::fstat(in.get(), &ist) != 0)
        return fail(errno);
    if (!S_ISREG(ist.st_mode) || ist.st_ino != st.st_ino || ist.st_dev != st.st_dev)
        return fail("the file was replaced while it was being copied");
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    NewFile out;
    if (int e = out.open(target))
        return fail(e);

    StreamHash readHash;
    std::uint64_t total = 0;
    bool kernelCopy = !o.verify; // the checksum needs the bytes to pass through here
    for (;;) {
        std::size_t n = 0;
        if (kernelCopy) {
            ssize_t r = ::copy_file_range(in.get(), nullptr, out.fd(), nullptr, kKernelChunk, 0);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                    errno == EPERM || errno == EBADF) {
                    kernelCopy = false;
                    continue;
                }
                return fail(errno);
            }
            if (r == 0) {
                // Some file systems report no data for files that have some: confirm the end
                // the ordinary way.
                kernelCopy = false;
                continue;
            }
            n = static_cast<std::size_t>(r);
        } else {
            ssize_t r = ::read(in.get(), buffer_.data(), buffer_.size());
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            if (r == 0)
                break;
            n = static_cast<std::size_t>(r);
            if (o.verify)
                readHash.add(buffer_.data(), n);
            if (!writeAll(out.fd(), buffer_.data(), n))
                return fail(errno);
        }
        total += n;
        if (o.onChunk && !o.onChunk(n)) {
            error_.clear();
            return TransferStatus::Cancelled;
        }
    }

    struct stat ost;
    if (::fstat(out.fd(), &ost) != 0)
        return fail(errno);
    if (static_cast<std::uint64_t>(ost.st_size) != total)
        return fail("the copy is incomplete");
    if (o.verify) {
        struct stat now;
        if (::fstat(in.get(), &now) != 0)
            return fail(errno);
        if (static_cast<std::uint64_t>(now.st_size) != total || now.st_mtim.tv_sec != st.st_mtim.tv_sec ||
            now.st_mtim.tv_nsec != st.st_mtim.tv_nsec)
            return fail("the file changed while it was being copied");
    }
    if (::fchmod(out.fd(), st.st_mode & 07777) != 0)
        return fail(errno);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.fd(), times) != 0)
        return fail(errno);
    if (o.verify) {
        // The source goes away after this: the copy must be on the disk and read back the same.
        if (::fdatasync(out.fd()) != 0)
            return fail(errno);
        StreamHash back;
        std::uint64_t off = 0;
        for (;;) {
            ssize_t r = ::pread(out.fd(), buffer_.data(), buffer_.size(), static_cast<off_t>(off));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            if (r == 0)
                break;
            back.add(buffer_.data(), static_cast<std::size_t>(r));
            off += static_cast<std::uint64_t>(r);
        }
        if (off != total || back.value() != readHash.value())
            return fail("the copy does not read back the same as the original");
    }
    if (int e = out.publish(o.replace))
        return fail(e);
    return TransferStatus::Ok;
}

TransferStatus FileTransfer::copySymlink(const std::string& src, const struct stat& st,
                                         const std::string& target, const TransferOptions& o) {
    std::string text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256), '\0');
    for (;;) {
        ssize_t n = ::readlink(src.c_str(), text.data(), text.size());
        if (n < 0)
            return fail(errno);
        if (static_cast<std::size_t>(n) < text.size()) {
            text.resize(static_cast<std::size_t>(n));
            break;
        }
        text.resize(text.size() * 2);
    }
    std::string tmp;
    for (int tries = 0; tries < 100 && tmp.empty(); ++tries) {
        std::string name = temporaryName(target);
        if (::symlink(text.c_str(), name.c_str()) == 0)
            tmp = name;
        else if (errno != EEXIST)
            return fail(errno);
    }
    if (tmp.empty())
        return fail(EEXIST);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, tmp.c_str(), times, AT_SYMLINK_NOFOLLOW);
    int err = 0;
    if (!publish(tmp, target, o.replace, err)) {
        ::unlink(tmp.c_str());
        return fail(err);
    }
    return TransferStatus::Ok;
}

TransferStatus FileTransfer::copySpecial(const std::string& src, const struct stat& st,
                                         const std::string& target, const TransferOptions& o) {
    if (S_ISSOCK(st.st_mode))
        return fail("\"" + src + "\" is a socket, which cannot be copied");
    std::string tmp;
    for (int tries = 0; tries < 100 && tmp.empty(); ++tries) {
        std::string name = temporaryName(target);
        if (::mknod(name.c_str(), st.st_mode, st.st_rdev) == 0)
            tmp = name;
        else if (errno != EEXIST)
            return fail(errno);
    }
    if (tmp.empty())
        return fail(EEXIST);
    copyAttributes(tmp, st);
    int err = 0;
    if (!publish(tmp, target, o.replace, err)) {
        ::unlink(tmp.c_str());
        return fail(err);
    }
    return TransferStatus::Ok;
}

} // namespace korvel::files

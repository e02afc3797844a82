#include "core/files/FileTransfer.h"

#include "posix_io.h"

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

using posix::Fd;

// An item given as a path (AT_FDCWD) becomes its folder, opened, and its bare name.
class Resolved {
public:
    explicit Resolved(const At& a) {
        if (a.dir != AT_FDCWD) {
            dir_ = a.dir;
            name_ = a.name;
            return;
        }
        std::filesystem::path p(a.name);
        std::string parent = p.parent_path().string();
        name_ = p.filename().string();
        own_.reset(::open(parent.empty() ? "." : parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        dir_ = own_.get();
        if (dir_ < 0)
            error_ = errno;
    }
    int dir() const { return dir_; }
    const std::string& name() const { return name_; }
    int error() const { return error_; }

private:
    Fd own_;
    int dir_ = -1, error_ = 0;
    std::string name_;
};

// Runs make(name) with fresh temporary names until one is free; the name made, or empty with
// err set.
template <typename Make> std::string makeTemporary(const std::string& beside, int& err, Make make) {
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = FileTransfer::temporaryName(beside);
        if (make(name))
            return name;
        if (errno != EEXIST) {
            err = errno;
            return {};
        }
    }
    err = EEXIST;
    return {};
}

// The new file: unnamed (O_TMPFILE) when the file system allows it, else a hidden name that is
// removed again unless the file is published.
class NewFile {
public:
    NewFile(int dir, std::string target) : dir_(dir), target_(std::move(target)) {}
    ~NewFile() {
        if (!tmp_.empty())
            ::unlinkat(dir_, tmp_.c_str(), 0);
    }
    // mode: the permissions the file is created with (the umask applies). 0 or an errno value.
    int open(mode_t mode) {
        int fd = ::openat(dir_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (fd >= 0) {
            fd_.reset(fd);
            return 0;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return errno;
        int err = 0;
        tmp_ = makeTemporary(target_, err, [&](const std::string& name) {
            fd = ::openat(dir_, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
            return fd >= 0;
        });
        if (tmp_.empty())
            return err;
        fd_.reset(fd);
        return 0;
    }
    int fd() const { return fd_.get(); }
    // Gives the complete file its name; 0 or an errno value.
    int publish(bool replace) {
        int err = 0;
        if (tmp_.empty()) {
            if (!replace)
                return linkTo(target_);
            // Replacing: link under a hidden name first, then rename over the old file in one step.
            tmp_ = makeTemporary(target_, err, [&](const std::string& name) {
                int e = linkTo(name);
                errno = e;
                return e == 0;
            });
            if (tmp_.empty())
                return err;
        }
        if (!FileTransfer::publish(dir_, tmp_, target_, replace, err))
            return err;
        tmp_.clear();
        return 0;
    }

private:
    int linkTo(const std::string& name) {
        if (::linkat(fd_.get(), "", dir_, name.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM && errno != EINVAL)
            return errno;
        // Older kernels let only privileged processes link a descriptor directly.
        std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
        if (::linkat(AT_FDCWD, proc.c_str(), dir_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        return errno;
    }
    int dir_;
    std::string target_, tmp_;
    Fd fd_;
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

std::string FileTransfer::temporaryName(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char tag[64];
    std::snprintf(tag, sizeof tag, ".korvel-%d-%u-%llx.part", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned long long>(now) & 0xffffff);
    std::string base = std::filesystem::path(name).filename().string();
    if (base.size() > 160)
        base.resize(160);
    return "." + base + tag;
}

bool FileTransfer::publish(int dir, const std::string& tmp, const std::string& target, bool replace,
                           int& err) {
    const char *from = tmp.c_str(), *to = target.c_str();
    if (replace) {
        if (::renameat(dir, from, dir, to) == 0)
            return true;
        err = errno;
        return false;
    }
    if (::renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        err = errno;
        return false;
    }
    // The file system cannot rename without replacing: a hard link fails on an existing name.
    if (::linkat(dir, from, dir, to, 0) == 0) {
        ::unlinkat(dir, from, 0);
        return true;
    }
    if (errno == EEXIST) {
        err = EEXIST;
        return false;
    }
    // No hard links either (folders, some foreign file systems): look, then rename.
    struct stat st;
    if (::fstatat(dir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        err = EEXIST;
        return false;
    }
    if (::renameat(dir, from, dir, to) == 0)
        return true;
    err = errno;
    return false;
}

bool copyAttributes(const At& item, const struct stat& st) {
    bool ok = true;
    if (!S_ISLNK(st.st_mode))
        ok = ::fchmodat(item.dir, item.name.c_str(), st.st_mode & 07777, 0) == 0;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    return ::utimensat(item.dir, item.name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 && ok;
}

TransferStatus FileTransfer::copyFile(const At& src, const struct stat& st, const At& target,
                                      const TransferOptions& o) {
    Fd in(::openat(src.dir, src.name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0)
        return fail(errno);
    struct stat ist;
    if (::fstat(in.get(), &ist) != 0)
        return fail(errno);
    if (!S_ISREG(ist.st_mode) || ist.st_ino != st.st_ino || ist.st_dev != st.st_dev)
        return fail("the file was replaced while it was being copied");
    if (ist.st_size >= static_cast<off_t>(kBufferSize))
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    Resolved t(target);
    if (t.error())
        return fail(t.error());
    // Created with its final permissions when the umask lets them through, else set afterwards.
    const mode_t mode = st.st_mode & 07777;
    const bool modeNeedsSetting = (mode & ~posix::creationMask()) != mode || (mode & 07000) != 0;
    NewFile out(t.dir(), t.name());
    if (int e = out.open(mode & 0777))
        return fail(e);

    StreamHash readHash;
    std::uint64_t total = 0;
    const std::uint64_t size = static_cast<std::uint64_t>(ist.st_size);
    bool kernelCopy = !o.verify; // the checksum needs the bytes to pass through here
    for (;;) {
        std::size_t n = 0;
        if (kernelCopy && size > 0 && total >= size)
            break; // all the file held when it was opened
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
            const ssize_t r = posix::readFull(in.get(), buffer_.data(), buffer_.size());
            if (r < 0)
                return fail(errno);
            if (r == 0)
                break;
            n = static_cast<std::size_t>(r);
            if (o.verify)
                readHash.add(buffer_.data(), n);
            if (!posix::writeFull(out.fd(), buffer_.data(), n))
                return fail(errno);
        }
        total += n;
        if (o.onChunk && !o.onChunk(n)) {
            error_.clear();
            return TransferStatus::Cancelled;
        }
    }
    if (total < size)
        return fail("the file became shorter while it was being copied");
    if (o.verify) {
        struct stat now;
        if (::fstat(in.get(), &now) != 0)
            return fail(errno);
        if (static_cast<std::uint64_t>(now.st_size) != total || now.st_mtim.tv_sec != st.st_mtim.tv_sec ||
            now.st_mtim.tv_nsec != st.st_mtim.tv_nsec)
            return fail("the file changed while it was being copied");
    }
    if (modeNeedsSetting && ::fchmod(out.fd(), mode) != 0)
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
            const ssize_t r = posix::preadFull(out.fd(), buffer_.data(), buffer_.size(), off);
            if (r < 0)
                return fail(errno);
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

TransferStatus FileTransfer::copySymlink(const At& src, const struct stat& st, const At& target,
                                         const TransferOptions& o) {
    std::string text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size + 1 : 256), '\0');
    for (;;) {
        ssize_t n = ::readlinkat(src.dir, src.name.c_str(), text.data(), text.size());
        if (n < 0)
            return fail(errno);
        if (static_cast<std::size_t>(n) < text.size()) {
            text.resize(static_cast<std::size_t>(n));
            break;
        }
        text.resize(text.size() * 2);
    }
    Resolved t(target);
    if (t.error())
        return fail(t.error());
    int err = 0;
    std::string tmp = makeTemporary(t.name(), err, [&](const std::string& name) {
        return ::symlinkat(text.c_str(), t.dir(), name.c_str()) == 0;
    });
    if (tmp.empty())
        return fail(err);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(t.dir(), tmp.c_str(), times, AT_SYMLINK_NOFOLLOW);
    if (!publish(t.dir(), tmp, t.name(), o.replace, err)) {
        ::unlinkat(t.dir(), tmp.c_str(), 0);
        return fail(err);
    }
    return TransferStatus::Ok;
}

TransferStatus FileTransfer::copySpecial(const At& src, const struct stat& st, const At& target,
                                         const TransferOptions& o) {
    if (S_ISSOCK(st.st_mode))
        return fail("\"" + src.name + "\" is a socket, which cannot be copied");
    Resolved t(target);
    if (t.error())
        return fail(t.error());
    int err = 0;
    std::string tmp = makeTemporary(t.name(), err, [&](const std::string& name) {
        return ::mknodat(t.dir(), name.c_str(), st.st_mode, st.st_rdev) == 0;
    });
    if (tmp.empty())
        return fail(err);
    copyAttributes({t.dir(), tmp}, st);
    if (!publish(t.dir(), tmp, t.name(), o.replace, err)) {
        ::unlinkat(t.dir(), tmp.c_str(), 0);
        return fail(err);
    }
    return TransferStatus::Ok;
}

} // namespace korvel::files

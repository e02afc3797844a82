// POSIX file work shared by the engines and the core: a descriptor that closes itself, reads and
// writes that carry on through interrupted calls (EINTR) and short counts, and the replacement of
// a whole file in one step.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace korvel::posix {

// Owns one file descriptor and closes it when it goes.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) noexcept : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the descriptor held (if any) and takes `fd`.
    void reset(int fd = -1) noexcept;
    // Closes now; false (errno set) when the close reports an error, which for a file just
    // written may be the first word of a failed write.
    bool close() noexcept;

private:
    int fd_ = -1;
};

// Writes all `size` bytes. False (errno set) on an error; a write that makes no progress counts
// as one (EIO).
bool writeFull(int fd, const void* data, std::size_t size);
// Writes all `size` bytes at `offset`, without moving the file position.
bool pwriteFull(int fd, const void* data, std::size_t size, std::uint64_t offset);
// Reads until `size` bytes are in or the end of the file: the count read (less than `size` only
// at the end), or -1 (errno set) on an error.
ssize_t readFull(int fd, void* buffer, std::size_t size);
// As readFull, at `offset`, without moving the file position.
ssize_t preadFull(int fd, void* buffer, std::size_t size, std::uint64_t offset);
// Whether exactly `size` bytes could be read at `offset`.
inline bool preadExact(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    return preadFull(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

// The process's file creation mask, read without changing it (umask() would set it for a moment,
// which another thread creating a file could see).
mode_t creationMask();
// The permissions a file written anew at `path` keeps: those of the file there, else the usual
// ones for a new file (0666 less the creation mask).
mode_t keptMode(const std::string& path);
// The file a replacement of `path` must write: the one a symbolic link there leads to, else
// `path` itself.
std::string linkTarget(const std::string& path);
// Flushes the folder holding `path` to disk, so that a rename into it lasts. Best effort: some
// file systems cannot sync a folder.
void syncFolderOf(const std::string& path);

// Replaces a whole file so that nobody ever sees half of it: the new contents go to a temporary
// file in the same folder, which is flushed to disk and renamed over the target only when
// complete, and the folder is flushed after. Until commit() succeeds the target is untouched;
// the temporary is removed whenever the object goes without a successful commit.
class AtomicReplace {
public:
    explicit AtomicReplace(const std::string& target);
    ~AtomicReplace();
    AtomicReplace(const AtomicReplace&) = delete;
    AtomicReplace& operator=(const AtomicReplace&) = delete;

    // Creates the temporary with the permissions `mode` (exactly: the creation mask does not
    // apply). False with errno set when it cannot be made (ENAMETOOLONG for a path too long).
    bool create(mode_t mode);
    int fd() const { return fd_.get(); }
    bool write(std::string_view bytes) { return writeFull(fd_.get(), bytes.data(), bytes.size()); }
    // Flushes the temporary to disk (commit does so as well).
    bool sync();
    // Flushes and closes the temporary and renames it over the target. False (errno set) leaves
    // the target as it was and removes the temporary.
    bool commit();
    // Removes the temporary now.
    void discard() noexcept;

    const std::string& target() const { return target_; }
    // The temporary's path: set from the construction on (its last characters are filled in by
    // create) and kept in place for the object's life, so a signal handler may read it.
    const char* temporaryPath() const { return temp_; }

private:
    std::string target_;
    char temp_[PATH_MAX + 1] = {};
    bool made_ = false;
    Fd fd_;
};

// Replaces the file at `path` with `bytes` through an AtomicReplace, with the permissions
// `mode`. False with `error` set ("path: reason") when the file was not replaced.
bool replaceFile(const std::string& path, std::string_view bytes, mode_t mode, std::string* error = nullptr);

} // namespace korvel::posix

#include "core/audio/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvel {

std::int64_t MemorySource::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) {
    if (offset < 0)
        return -1;
    auto size = static_cast<std::int64_t>(bytes_.size());
    if (offset >= size)
        return 0;
    auto n = std::min<std::int64_t>(size - offset, static_cast<std::int64_t>(buffer.size()));
    std::memcpy(buffer.data(), bytes_.data() + offset, static_cast<std::size_t>(n));
    return n;
}

FileSource::~FileSource() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileSource::Open(const std::string& fileName) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = st.st_size;
    return true;
}

static std::int64_t preadFull(int fd, std::int64_t offset, std::span<std::uint8_t> buffer) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        ssize_t n = ::pread(fd, buffer.data() + got, buffer.size() - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(got);
}

std::int64_t FileSource::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) {
    if (fd_ < 0 || offset < 0)
        return -1;
    return preadFull(fd_, offset, buffer);
}

bool MakeOwnerWritable(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0)
        return false;
    if (st.st_mode & S_IWUSR)
        return true;
    return ::chmod(fileName.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

static bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplaceFileHead(const std::string& fileName, std::span<const std::uint8_t> head, std::int64_t skip) {
    if (skip < 0)
        return false;
    return RewriteFile(fileName, {FilePiece::New({head.begin(), head.end()}), FilePiece::Old(skip)});
}

// Copies the bytes from to to of one file onto the end of another.
static bool copyRange(int in, int out, std::int64_t from, std::int64_t to,
                      std::vector<std::uint8_t>& buffer) {
    std::int64_t pos = from;
    while (pos < to) {
        auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(to - pos, static_cast<std::int64_t>(buffer.size())));
        std::int64_t n = preadFull(in, pos, std::span<std::uint8_t>(buffer.data(), want));
        if (n <= 0 || !writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
            return false;
        pos += n;
    }
    return true;
}

bool RewriteFile(const std::string& fileName, const std::vector<FilePiece>& pieces,
                 std::int64_t expectedSize) {
    // Rewrite the file a link points to, not the link.
    char resolved[PATH_MAX];
    if (!::realpath(fileName.c_str(), resolved))
        return false;
    std::string path = resolved;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (expectedSize >= 0 && st.st_size != expectedSize)
        return false;
    for (const FilePiece& p : pieces) {
        std::int64_t to = p.To < 0 ? st.st_size : p.To;
        if (!p.IsNew && (p.From < 0 || p.From > to || to > st.st_size))
            return false;
    }
    if (!MakeOwnerWritable(path))
        return false;

    int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    std::string tempName = path + "~XXXXXX";
    std::vector<char> tempBuf(tempName.begin(), tempName.end());
    tempBuf.push_back('\0');
    int out = ::mkstemp(tempBuf.data());
    if (out < 0) {
        ::close(in);
        return false;
    }
    tempName = tempBuf.data();

    bool ok = ::fchmod(out, (st.st_mode & 07777) | S_IWUSR) == 0;
    if (ok && ::geteuid() == 0)
        (void)!::fchown(out, st.st_uid, st.st_gid);
    std::vector<std::uint8_t> buffer(1 << 20);
    for (const FilePiece& p : pieces) {
        if (!ok)
            break;
        if (p.IsNew)
            ok = writeAll(out, p.Bytes.data(), p.Bytes.size());
        else
            ok = copyRange(in, out, p.From, p.To < 0 ? st.st_size : p.To, buffer);
    }
    // The old file must not have changed size while it was copied.
    struct stat now {};
    ok = ok && ::fstat(in, &now) == 0 && now.st_size == st.st_size;
    ok = ok && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    ok = ok && ::rename(tempName.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tempName.c_str());
        return false;
    }
    // Make the rename itself durable.
    std::string dir = path.substr(0, path.find_last_of('/') + 1);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace korvel

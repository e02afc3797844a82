#include "core/audio/ByteSource.h"

#include "posix_io.h"

#include <algorithm>
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

FileSource::~FileSource() = default;

bool FileSource::Open(const std::string& fileName) {
    fd_.reset(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd_.valid())
        return false;
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fd_.reset();
        return false;
    }
    size_ = st.st_size;
    return true;
}

static std::int64_t preadAt(int fd, std::int64_t offset, std::span<std::uint8_t> buffer) {
    return posix::preadFull(fd, buffer.data(), buffer.size(), static_cast<std::uint64_t>(offset));
}

std::int64_t FileSource::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) {
    if (!fd_.valid() || offset < 0)
        return -1;
    return preadAt(fd_.get(), offset, buffer);
}

bool MakeOwnerWritable(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0)
        return false;
    if (st.st_mode & S_IWUSR)
        return true;
    return ::chmod(fileName.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
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
        std::int64_t n = preadAt(in, pos, std::span<std::uint8_t>(buffer.data(), want));
        if (n <= 0 || !posix::writeFull(out, buffer.data(), static_cast<std::size_t>(n)))
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

    posix::Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return false;
    posix::AtomicReplace out(path);
    if (!out.create((st.st_mode & 07777) | S_IWUSR))
        return false;
    if (::geteuid() == 0)
        (void)!::fchown(out.fd(), st.st_uid, st.st_gid);
    std::vector<std::uint8_t> buffer(1 << 20);
    bool ok = true;
    for (const FilePiece& p : pieces) {
        if (!ok)
            break;
        if (p.IsNew)
            ok = posix::writeFull(out.fd(), p.Bytes.data(), p.Bytes.size());
        else
            ok = copyRange(in.get(), out.fd(), p.From, p.To < 0 ? st.st_size : p.To, buffer);
    }
    // The old file must not have changed size while it was copied.
    struct stat now {};
    ok = ok && ::fstat(in.get(), &now) == 0 && now.st_size == st.st_size;
    return ok && out.commit();
}

} // namespace korvel

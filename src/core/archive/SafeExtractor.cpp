#include "core/archive/SafeExtractor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

using engine::makeFolders;
using engine::MemberPlace;
using engine::openFolders;
using engine::PlaceCheck;
using engine::placeFor;
using engine::putInPlace;
using engine::temporaryName;
using posix::Fd;

void setTimes(int fd, std::int64_t mtime) {
    if (mtime == 0)
        return;
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = static_cast<time_t>(mtime);
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::futimens(fd, ts);
}

} // namespace

bool SafeExtractor::open(const std::string& destination, std::string& error) {
    const std::string dest = destination.empty() ? "." : destination;
    if (!makeFolders(dest)) {
        error = "cannot create the folder " + dest;
        return false;
    }
    root_.reset(::open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root_.valid()) {
        error = "cannot open the folder " + dest;
        return false;
    }
    return true;
}

bool SafeExtractor::linkStaysInside(const std::vector<std::string>& linkDirs, std::string_view target) const {
    return engine::linkStaysInside(root_.get(), linkDirs, target);
}

SafeExtractor::Outcome SafeExtractor::place(std::string_view name, bool isFolder, MemberPlace& p) const {
    switch (placeFor(name, isFolder, options_.withPaths, false, p)) {
    case PlaceCheck::Unsafe:
        return Outcome::Unsafe;
    case PlaceCheck::Nothing:
        return Outcome::Nothing;
    case PlaceCheck::Ok:
        break;
    }
    return Outcome::Written;
}

SafeExtractor::Outcome SafeExtractor::openFolder(const MemberPlace& p, Fd& dir) const {
    bool unsafe = false;
    dir = openFolders(root_.get(), p.dirs, true, unsafe);
    if (!dir.valid())
        return unsafe ? Outcome::Unsafe : Outcome::WriteFailed;
    return Outcome::Written;
}

SafeExtractor::Outcome SafeExtractor::mayWrite(int dir, const std::string& leaf, std::int64_t mtime) const {
    struct stat disk;
    if (::fstatat(dir, leaf.c_str(), &disk, AT_SYMLINK_NOFOLLOW) != 0)
        return options_.onlyNewer ? Outcome::Nothing : Outcome::Written;
    if (S_ISDIR(disk.st_mode))
        return Outcome::InTheWay;
    if (options_.onlyNewer || options_.newerOrNew)
        return mtime > static_cast<std::int64_t>(disk.st_mtime) ? Outcome::Written : Outcome::Kept;
    return options_.overwrite ? Outcome::Written : Outcome::Kept;
}

SafeExtractor::Outcome SafeExtractor::finish(int dir, const std::string& tmp, const std::string& leaf,
                                             bool ok, Outcome failure) {
    if (putInPlace(dir, tmp, leaf, ok))
        return Outcome::Written;
    return ok ? Outcome::WriteFailed : failure;
}

SafeExtractor::Outcome SafeExtractor::file(std::string_view name, std::int64_t mtime, unsigned permissions,
                                           const ReadData& read) {
    MemberPlace p;
    Fd dir;
    if (const Outcome o = place(name, false, p); o != Outcome::Written)
        return o;
    if (const Outcome o = openFolder(p, dir); o != Outcome::Written)
        return o;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, mtime); o != Outcome::Written)
        return o;

    const std::string tmp = temporaryName();
    Fd out(::openat(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid())
        return Outcome::WriteFailed;
    std::vector<char> buf(256 * 1024);
    Outcome failure = Outcome::Written;
    for (;;) {
        const std::ptrdiff_t n = read(buf.data(), buf.size());
        if (n == 0)
            break;
        if (n < 0) {
            failure = Outcome::Damaged;
            break;
        }
        if (written_ + static_cast<std::uint64_t>(n) > options_.maxTotalBytes) {
            failure = Outcome::TooLarge;
            break;
        }
        if (!posix::writeFull(out.get(), buf.data(), static_cast<std::size_t>(n))) {
            failure = Outcome::WriteFailed;
            break;
        }
        written_ += static_cast<std::uint64_t>(n);
    }
    const bool ok = failure == Outcome::Written;
    if (ok) {
        const unsigned mode = permissions & 0777;
        ::fchmod(out.get(), mode ? mode : 0644);
        setTimes(out.get(), mtime);
    }
    return finish(dir.get(), tmp, p.leaf, ok, failure);
}

SafeExtractor::Outcome SafeExtractor::folder(std::string_view name) {
    MemberPlace p;
    Fd dir;
    if (const Outcome o = place(name, true, p); o != Outcome::Written)
        return o;
    return openFolder(p, dir);
}

SafeExtractor::Outcome SafeExtractor::symlink(std::string_view name, std::string_view target,
                                              std::int64_t mtime) {
    MemberPlace p;
    Fd dir;
    if (const Outcome o = place(name, false, p); o != Outcome::Written)
        return o;
    // Without folders every member lands in the destination itself, so the link is judged there.
    if (!linkStaysInside(p.dirs, target))
        return Outcome::Unsafe;
    if (const Outcome o = openFolder(p, dir); o != Outcome::Written)
        return o;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, mtime); o != Outcome::Written)
        return o;
    const std::string tmp = temporaryName();
    const bool ok = ::symlinkat(std::string(target).c_str(), dir.get(), tmp.c_str()) == 0;
    return finish(dir.get(), tmp, p.leaf, ok, Outcome::WriteFailed);
}

SafeExtractor::Outcome SafeExtractor::hardlink(std::string_view name, std::string_view targetMember) {
    MemberPlace p, t;
    if (const Outcome o = place(name, false, p); o != Outcome::Written)
        return o;
    if (place(targetMember, false, t) != Outcome::Written)
        return Outcome::Unsafe;
    bool unsafe = false;
    Fd from = openFolders(root_.get(), t.dirs, false, unsafe);
    struct stat st;
    if (!from.valid() || ::fstatat(from.get(), t.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Outcome::Damaged; // the member it names was not extracted
    if (!S_ISREG(st.st_mode))
        return Outcome::Unsafe;
    Fd dir;
    if (const Outcome o = openFolder(p, dir); o != Outcome::Written)
        return o;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, st.st_mtime); o != Outcome::Written)
        return o;
    const std::string tmp = temporaryName();
    const bool ok = ::linkat(from.get(), t.leaf.c_str(), dir.get(), tmp.c_str(), 0) == 0;
    return finish(dir.get(), tmp, p.leaf, ok, Outcome::WriteFailed);
}

} // namespace korvel

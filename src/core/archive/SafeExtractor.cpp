#include "core/archive/SafeExtractor.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        out.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '/';
        out += p;
    }
    return out;
}

std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    char buf[64];
    std::snprintf(buf, sizeof buf, ".kvx%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
    return buf;
}

bool writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
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

bool makeFolders(const std::string& dir) {
    std::string path = !dir.empty() && dir.front() == '/' ? "/" : "";
    for (const auto& c : components(dir)) {
        if (c.empty())
            continue;
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += c;
        if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

void setTimes(int fd, std::int64_t mtime) {
    if (mtime == 0)
        return;
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = static_cast<time_t>(mtime);
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::futimens(fd, ts);
}

} // namespace

SafeExtractor::~SafeExtractor() {
    if (root_ >= 0)
        ::close(root_);
}

bool SafeExtractor::open(const std::string& destination, std::string& error) {
    const std::string dest = destination.empty() ? "." : destination;
    if (!makeFolders(dest)) {
        error = "cannot create the folder " + dest;
        return false;
    }
    root_ = ::open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root_ < 0) {
        error = "cannot open the folder " + dest;
        return false;
    }
    return true;
}

SafeExtractor::Naming SafeExtractor::placeFor(std::string_view name, bool isFolder, Place& p) const {
    std::string n(name);
    for (char& c : n)
        if (c == '\\')
            c = '/';
    bool unsafe = !n.empty() && n.front() == '/';
    std::vector<std::string> parts;
    for (auto& c : components(n)) {
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            unsafe = true;
            continue;
        }
        parts.push_back(std::move(c));
    }
    if (!options_.withPaths) {
        if (isFolder || parts.empty())
            return Naming::Nothing;
        p.leaf = parts.back();
        return Naming::Ok;
    }
    if (unsafe)
        return Naming::Unsafe;
    if (parts.empty())
        return Naming::Nothing;
    if (!isFolder) {
        p.leaf = parts.back();
        parts.pop_back();
    }
    p.dirs = std::move(parts);
    return Naming::Ok;
}

int SafeExtractor::openFolders(const std::vector<std::string>& dirs, bool create, bool& unsafe) const {
    unsafe = false;
    int cur = ::dup(root_);
    for (const auto& d : dirs) {
        if (create && ::mkdirat(cur, d.c_str(), 0777) != 0 && errno != EEXIST) {
            ::close(cur);
            return -1;
        }
        const int next = ::openat(cur, d.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int err = errno;
        ::close(cur);
        if (next < 0) {
            unsafe = err == ELOOP || err == ENOTDIR;
            return -1;
        }
        cur = next;
    }
    return cur;
}

bool SafeExtractor::linkStaysInside(const std::vector<std::string>& linkDirs, std::string_view target) const {
    if (target.empty() || target.front() == '/')
        return false;
    std::vector<std::string> at = linkDirs;
    std::deque<std::string> rest;
    for (auto& c : components(target))
        rest.push_back(std::move(c));
    int expansions = 0;
    while (!rest.empty()) {
        std::string c = std::move(rest.front());
        rest.pop_front();
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (at.empty())
                return false;
            at.pop_back();
            continue;
        }
        at.push_back(std::move(c));
        // A link already in the destination is followed: its target takes its place.
        char buf[4096];
        const ssize_t n = ::readlinkat(root_, joined(at).c_str(), buf, sizeof buf);
        if (n < 0)
            continue;
        if (++expansions > 40 || static_cast<std::size_t>(n) >= sizeof buf || n == 0 || buf[0] == '/')
            return false;
        at.pop_back();
        auto more = components(std::string_view(buf, static_cast<std::size_t>(n)));
        rest.insert(rest.begin(), more.begin(), more.end());
    }
    return true;
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
    if (ok && ::renameat(dir, tmp.c_str(), dir, leaf.c_str()) != 0) {
        ok = false;
        failure = Outcome::WriteFailed;
    }
    if (!ok) {
        ::unlinkat(dir, tmp.c_str(), 0);
        return failure;
    }
    return Outcome::Written;
}

SafeExtractor::Outcome SafeExtractor::file(std::string_view name, std::int64_t mtime, unsigned permissions,
                                           const ReadData& read) {
    Place p;
    switch (placeFor(name, false, p)) {
    case Naming::Unsafe:
        return Outcome::Unsafe;
    case Naming::Nothing:
        return Outcome::Nothing;
    case Naming::Ok:
        break;
    }
    bool unsafe = false;
    Fd dir(openFolders(p.dirs, true, unsafe));
    if (dir.get() < 0)
        return unsafe ? Outcome::Unsafe : Outcome::WriteFailed;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, mtime); o != Outcome::Written)
        return o;

    const std::string tmp = temporaryName();
    Fd out(::openat(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0)
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
        if (!writeAll(out.get(), buf.data(), static_cast<std::size_t>(n))) {
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
    Place p;
    switch (placeFor(name, true, p)) {
    case Naming::Unsafe:
        return Outcome::Unsafe;
    case Naming::Nothing:
        return Outcome::Nothing;
    case Naming::Ok:
        break;
    }
    bool unsafe = false;
    Fd dir(openFolders(p.dirs, true, unsafe));
    if (dir.get() < 0)
        return unsafe ? Outcome::Unsafe : Outcome::WriteFailed;
    return Outcome::Written;
}

SafeExtractor::Outcome SafeExtractor::symlink(std::string_view name, std::string_view target,
                                              std::int64_t mtime) {
    Place p;
    switch (placeFor(name, false, p)) {
    case Naming::Unsafe:
        return Outcome::Unsafe;
    case Naming::Nothing:
        return Outcome::Nothing;
    case Naming::Ok:
        break;
    }
    // Without folders every member lands in the destination itself, so the link is judged there.
    if (!linkStaysInside(p.dirs, target))
        return Outcome::Unsafe;
    bool unsafe = false;
    Fd dir(openFolders(p.dirs, true, unsafe));
    if (dir.get() < 0)
        return unsafe ? Outcome::Unsafe : Outcome::WriteFailed;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, mtime); o != Outcome::Written)
        return o;
    const std::string tmp = temporaryName();
    const bool ok = ::symlinkat(std::string(target).c_str(), dir.get(), tmp.c_str()) == 0;
    return finish(dir.get(), tmp, p.leaf, ok, Outcome::WriteFailed);
}

SafeExtractor::Outcome SafeExtractor::hardlink(std::string_view name, std::string_view targetMember) {
    Place p, t;
    const Naming n = placeFor(name, false, p);
    if (n != Naming::Ok)
        return n == Naming::Unsafe ? Outcome::Unsafe : Outcome::Nothing;
    if (placeFor(targetMember, false, t) != Naming::Ok)
        return Outcome::Unsafe;
    bool unsafe = false;
    Fd from(openFolders(t.dirs, false, unsafe));
    struct stat st;
    if (from.get() < 0 || ::fstatat(from.get(), t.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Outcome::Damaged; // the member it names was not extracted
    if (!S_ISREG(st.st_mode))
        return Outcome::Unsafe;
    Fd dir(openFolders(p.dirs, true, unsafe));
    if (dir.get() < 0)
        return unsafe ? Outcome::Unsafe : Outcome::WriteFailed;
    if (const Outcome o = mayWrite(dir.get(), p.leaf, st.st_mtime); o != Outcome::Written)
        return o;
    const std::string tmp = temporaryName();
    const bool ok = ::linkat(from.get(), t.leaf.c_str(), dir.get(), tmp.c_str(), 0) == 0;
    return finish(dir.get(), tmp, p.leaf, ok, Outcome::WriteFailed);
}

} // namespace korvel

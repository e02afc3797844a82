#include "member_place.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::engine {

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '/';
        out += p;
    }
    return out;
}

} // namespace

std::vector<std::string> pathComponents(std::string_view path) {
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

PlaceCheck placeFor(std::string_view name, bool isFolder, bool withPaths, bool spaceToUnderscore,
                    MemberPlace& place) {
    std::string n(name);
    std::replace(n.begin(), n.end(), '\\', '/');
    bool unsafe = !n.empty() && n.front() == '/';
    std::vector<std::string> parts;
    for (auto& c : pathComponents(n)) {
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            unsafe = true;
            continue;
        }
        if (spaceToUnderscore)
            std::replace(c.begin(), c.end(), ' ', '_');
        parts.push_back(std::move(c));
    }
    if (!withPaths) {
        if (isFolder || parts.empty())
            return PlaceCheck::Nothing;
        place.leaf = parts.back();
        return PlaceCheck::Ok;
    }
    if (unsafe)
        return PlaceCheck::Unsafe;
    if (parts.empty())
        return PlaceCheck::Nothing;
    if (!isFolder) {
        place.leaf = parts.back();
        parts.pop_back();
    }
    place.dirs = std::move(parts);
    return PlaceCheck::Ok;
}

bool makeFolders(const std::string& dir) {
    std::string path = !dir.empty() && dir.front() == '/' ? "/" : "";
    for (const auto& c : pathComponents(dir)) {
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

posix::Fd openFolders(int root, const std::vector<std::string>& dirs, bool create, bool& unsafe) {
    unsafe = false;
    posix::Fd cur(::dup(root));
    for (const auto& d : dirs) {
        if (create && ::mkdirat(cur.get(), d.c_str(), 0777) != 0 && errno != EEXIST)
            return {};
        const int next = ::openat(cur.get(), d.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            unsafe = errno == ELOOP || errno == ENOTDIR;
            return {};
        }
        cur.reset(next);
    }
    return cur;
}

bool linkStaysInside(int root, const std::vector<std::string>& linkDirs, std::string_view target) {
    if (target.empty() || target.front() == '/')
        return false;
    std::vector<std::string> at = linkDirs;
    std::deque<std::string> rest;
    for (auto& c : pathComponents(target))
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
        const ssize_t n = ::readlinkat(root, joined(at).c_str(), buf, sizeof buf);
        if (n < 0)
            continue; // a folder, a file, or nothing yet
        if (++expansions > 40 || static_cast<std::size_t>(n) >= sizeof buf || n == 0 || buf[0] == '/')
            return false;
        at.pop_back();
        auto more = pathComponents(std::string_view(buf, static_cast<std::size_t>(n)));
        rest.insert(rest.begin(), more.begin(), more.end());
    }
    return true;
}

std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    char buf[64];
    std::snprintf(buf, sizeof buf, ".kvx%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
    return buf;
}

bool putInPlace(int dir, const std::string& tmp, const std::string& leaf, bool ok) {
    if (ok && ::renameat(dir, tmp.c_str(), dir, leaf.c_str()) == 0)
        return true;
    ::unlinkat(dir, tmp.c_str(), 0);
    return false;
}

} // namespace korvel::engine

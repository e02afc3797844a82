#include "core/catalog/FolderWalk.h"

#include "core/archive/ArchiveReader.h"
#include "core/catalog/ArchiveFormat.h"
#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace korvel::catalog {
namespace {

struct FileId {
    dev_t dev;
    ino_t ino;
    auto operator<=>(const FileId&) const = default;
};

// ASCII case folded first, bytes after: "b.zip" sorts between "A.ZIP" and "C.ZIP".
bool nameBefore(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        const unsigned char fx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const unsigned char fy = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (fx != fy)
            return fx < fy;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::string probeFormat(const std::string& path, const std::string& name, std::uint64_t size) {
    std::string byName = formatFromName(name);
    const posix::Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid())
        return byName; // listed by its name; the source says why it cannot be read
    // Most formats show in their first bytes; tar and ISO images are looked into further only
    // when their name says so, to keep the walk to one small read per file.
    std::size_t want = 512;
    if (byName == "iso" || byName == "tar")
        want = kFormatProbeBytes;
    want = static_cast<std::size_t>(std::min<std::uint64_t>(want, size));
    std::string head(want, '\0');
    const ssize_t have = posix::preadFull(fd.get(), head.data(), want, 0);
    head.resize(have > 0 ? static_cast<std::size_t>(have) : 0);
    std::string byContent = formatFromContent(head);
    // A compressed stream is an archive only when it holds one (a tar or cpio archive), as the
    // archive reader sees it: a lone .gz is no archive. One the name calls an archive but the
    // reader cannot open stays listed under its name, so that the source says what is wrong.
    if (byContent == "gzip" || byContent == "bzip2" || byContent == "xz" || byContent == "zstd") {
        const std::string_view inside = formatWord(archiveReader().detect(path));
        if (!inside.empty() && inside != "zip")
            return std::string(inside);
        return byName;
    }
    return byContent.empty() ? byName : byContent;
}

class Walker {
public:
    Walker(const WalkOptions& o, WalkResult& r) : options_(o), result_(r) {
        for (const auto& s : o.skip) {
            struct stat st;
            if (::stat(s.c_str(), &st) == 0)
                skip_.insert({st.st_dev, st.st_ino});
        }
    }

    void walk(const std::string& root) {
        struct stat st;
        if (::stat(root.c_str(), &st) != 0) {
            result_.problems.push_back(root + ": " + std::strerror(errno));
            return;
        }
        if (!S_ISDIR(st.st_mode)) {
            result_.problems.push_back(root + ": not a folder");
            return;
        }
        seen_.insert({st.st_dev, st.st_ino});
        folder(root, "");
    }

private:
    void folder(const std::string& dir, const std::string& below) {
        DIR* d = ::opendir(dir.c_str());
        if (!d) {
            result_.problems.push_back(dir + ": " + std::strerror(errno));
            return;
        }
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(d);
        std::sort(names.begin(), names.end(), nameBefore);

        std::vector<std::pair<std::string, std::string>> subfolders;
        const std::string prefix = dir.ends_with('/') ? dir : dir + "/";
        for (const auto& n : names) {
            const std::string path = prefix + n;
            struct stat st;
            if (::stat(path.c_str(), &st) != 0)
                continue; // a dangling link
            if (S_ISDIR(st.st_mode)) {
                if (options_.recursive && seen_.insert({st.st_dev, st.st_ino}).second)
                    subfolders.emplace_back(path, below + n + "/");
                continue;
            }
            if (!S_ISREG(st.st_mode) || skip_.contains({st.st_dev, st.st_ino}))
                continue;
            ArchiveFile a;
            a.format = probeFormat(path, n, static_cast<std::uint64_t>(st.st_size));
            if (a.format.empty())
                continue;
            a.path = path;
            a.name = below + n;
            a.size = static_cast<std::uint64_t>(st.st_size);
            a.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
            result_.archives.push_back(std::move(a));
        }
        for (const auto& [path, name] : subfolders)
            folder(path, name);
    }

    const WalkOptions& options_;
    WalkResult& result_;
    std::set<FileId> seen_, skip_;
};

} // namespace

WalkResult walkFolders(const std::vector<std::string>& folders, const WalkOptions& options) {
    WalkResult r;
    Walker w(options, r);
    for (const auto& f : folders) {
        const std::size_t first = r.archives.size();
        w.walk(f);
        // With several folders the listing names each archive with its folder too.
        if (folders.size() > 1) {
            std::string head = f;
            while (head.size() > 1 && head.ends_with('/'))
                head.pop_back();
            for (std::size_t i = first; i < r.archives.size(); ++i)
                r.archives[i].name = head + "/" + r.archives[i].name;
        }
    }
    return r;
}

} // namespace korvel::catalog

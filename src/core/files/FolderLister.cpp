#include "core/files/FolderLister.h"

#include "core/files/Wildcard.h"
#include "posix_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::files {
namespace {

struct DirCloser {
    DIR* d;
    ~DirCloser() {
        if (d)
            closedir(d);
    }
};

bool admitted(std::uint8_t attrs, unsigned filter) {
    if ((attrs & attrReadOnly) && !(filter & ftReadOnly))
        return false;
    if ((attrs & attrHidden) && !(filter & ftHidden))
        return false;
    if ((attrs & attrSystem) && !(filter & ftSystem))
        return false;
    return true;
}

bool matchesAny(const std::vector<std::string_view>& pieces, std::string_view name) {
    for (auto p : pieces)
        if (wildcardMatch(p, name))
            return true;
    return false;
}

} // namespace

std::vector<std::string_view> splitMask(std::string_view mask) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        auto semi = mask.find(';', start);
        pieces.push_back(
            mask.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start));
        if (semi == std::string_view::npos)
            break;
        start = semi + 1;
    }
    return pieces;
}

std::string joinPath(std::string_view dir, std::string_view name) {
    std::string p(dir);
    if (p.empty() || p.back() != '/')
        p += '/';
    p += name;
    return p;
}

std::vector<Entry> listFolder(const std::string& dir, std::string_view mask, unsigned fileType,
                              TypeKeys* types) {
    std::vector<Entry> folders, files;
    posix::Fd opened(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened.valid())
        return {};
    DirCloser closer{::fdopendir(opened.get())};
    if (!closer.d)
        return {};
    const int fd = opened.release(); // the folder stream owns it now
    const auto pieces = splitMask(mask);
    const bool wantHidden = fileType & ftHidden;
    const bool wantSystem = fileType & ftSystem;

    while (dirent* de = ::readdir(closer.d)) {
        std::string_view name = de->d_name;
        if (name == "." || name == "..")
            continue;
        if (name.front() == '.' && !wantHidden)
            continue;
        // The directory's own type tells most entries apart without a stat: a regular file or a
        // special file the mask does not match can be skipped at once.
        const unsigned char dt = de->d_type;
        const bool maybeDir = dt == DT_DIR || dt == DT_LNK || dt == DT_UNKNOWN;
        if (!maybeDir) {
            if (dt != DT_REG && !wantSystem)
                continue;
            if (!matchesAny(pieces, name))
                continue;
        }
        struct stat st {};
        if (::fstatat(fd, de->d_name, &st, 0) != 0 &&
            ::fstatat(fd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished meanwhile
        const bool isDir = S_ISDIR(st.st_mode);
        if (!isDir && maybeDir && !matchesAny(pieces, name))
            continue;
        Entry e;
        e.kind = isDir ? EntryKind::Dir : EntryKind::File;
        if (!(st.st_mode & S_IWUSR))
            e.attrs |= attrReadOnly;
        if (name.front() == '.')
            e.attrs |= attrHidden;
        if (!isDir && !S_ISREG(st.st_mode))
            e.attrs |= attrSystem;
        if (!admitted(e.attrs, fileType))
            continue;
        e.name.assign(name);
        e.size = isDir ? 0 : static_cast<std::uint64_t>(st.st_size);
        e.mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec);
        e.mtimeValid = true;
        if (types)
            e.typeId = types->idFor(e.kind, name);
        (isDir ? folders : files).push_back(std::move(e));
    }

    // Pass 2: each piece of the mask in order, no de-duplication.
    std::vector<Entry> out = std::move(folders);
    if (pieces.size() == 1) {
        out.reserve(out.size() + files.size());
        for (auto& f : files)
            out.push_back(std::move(f));
        return out;
    }
    for (auto piece : pieces)
        for (const auto& f : files)
            if (wildcardMatch(piece, f.name))
                out.push_back(f);
    return out;
}

} // namespace korvel::files

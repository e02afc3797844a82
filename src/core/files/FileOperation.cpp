#include "core/files/FileOperation.h"

#include "core/files/FileTransfer.h"
#include "core/files/Trash.h"
#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace korvel::files {
namespace {

enum class Step { Ok, Skipped, Stop };

std::string q(const std::string& p) {
    return "\"" + p + "\"";
}

std::string stripSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

std::string baseName(const std::string& p) {
    return fs::path(p).filename().string();
}

std::string dirName(const std::string& p) {
    std::string d = fs::path(p).parent_path().string();
    return d.empty() ? std::string(".") : d;
}

std::string join(const std::string& dir, const std::string& name) {
    return dir == "/" ? "/" + name : dir + "/" + name;
}

bool sameItem(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Absolute, with every link and "." or ".." of the existing part resolved.
std::string resolved(const std::string& p) {
    std::error_code ec;
    fs::path r = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? fs::absolute(p).lexically_normal().string() : r.string();
}

bool isInside(const std::string& inner, const std::string& outer) {
    if (outer == "/")
        return true;
    return inner == outer || inner.rfind(outer + "/", 0) == 0;
}

std::string withSeparators(std::uint64_t n) {
    std::string s = std::to_string(n);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3)
        s.insert(static_cast<std::size_t>(i), ",");
    return s;
}

std::string describe(const struct stat& st) {
    char when[32];
    std::tm tm{};
    std::time_t t = st.st_mtim.tv_sec;
    ::localtime_r(&t, &tm);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
    if (S_ISLNK(st.st_mode))
        return std::string("a link, modified ") + when;
    return withSeparators(static_cast<std::uint64_t>(st.st_size)) + " bytes, modified " + when;
}

// "name (2).ext", "name (3).ext", ... : the first that is free beside target.
std::string freeName(const std::string& target, bool folder) {
    std::string dir = dirName(target), name = baseName(target), ext;
    auto dot = name.rfind('.');
    if (!folder && dot != std::string::npos && dot > 0) {
        ext = name.substr(dot);
        name.resize(dot);
    }
    for (unsigned n = 2;; ++n) {
        std::string candidate = join(dir, name + " (" + std::to_string(n) + ")" + ext);
        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT)
            return candidate;
    }
}

// The names in the folder open as fd (which stays open).
bool readNamesAt(int fd, std::vector<std::string>& names, int& err) {
    int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR* d = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!d) {
        err = errno;
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    errno = 0;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(std::move(n));
    }
    err = errno;
    ::closedir(d);
    return err == 0;
}

bool readNames(const std::string& dir, std::vector<std::string>& names, int& err) {
    const posix::Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        err = errno;
        return false;
    }
    return readNamesAt(fd.get(), names, err);
}

// Renames between two folders; without replace an existing target is an error (EEXIST).
bool moveAt(const At& from, const At& to, bool replace, int& err) {
    if (replace) {
        if (::renameat(from.dir, from.name.c_str(), to.dir, to.name.c_str()) == 0)
            return true;
    } else {
        if (::renameat2(from.dir, from.name.c_str(), to.dir, to.name.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EINVAL || errno == ENOSYS) {
            struct stat st;
            if (::fstatat(to.dir, to.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                err = EEXIST;
                return false;
            }
            if (::renameat(from.dir, from.name.c_str(), to.dir, to.name.c_str()) == 0)
                return true;
        }
    }
    err = errno;
    return false;
}

class Runner {
public:
    Runner(FileOpKind kind, unsigned flags, FileOpHandler& h, std::vector<NameMapping>& maps)
        : kind_(kind), flags_(flags), h_(h), maps_(maps) {}

    bool run(const std::vector<std::string>& from, const std::vector<std::string>& to) {
        std::vector<std::string> sources;
        if (!expand(from, sources))
            return false;
        if (sources.empty())
            return false;
        bool done = kind_ == FileOpKind::Delete ? runDelete(sources) : runTransfer(sources, to);
        return done && !failed_ && !cancelled_ && !skipped_;
    }
    bool cancelled() const { return cancelled_; }

private:
    struct Pair {
        std::string src, target;
        struct stat st;
    };
    // An item of a tree being walked: a name in an open folder, and its path for messages.
    struct Loc {
        int dir;
        std::string name, path;
        At at() const { return {dir, name}; }
        Loc child(int fd, const std::string& n) const { return {fd, n, join(path, n)}; }
        static Loc of(const std::string& p) { return {AT_FDCWD, p, p}; }
    };

    bool has(unsigned f) const { return (flags_ & f) != 0; }
    bool isMove() const { return kind_ != FileOpKind::Copy; }
    const char* verb() const {
        switch (kind_) {
        case FileOpKind::Copy:
            return "copy";
        case FileOpKind::Move:
            return "move";
        case FileOpKind::Rename:
            return "rename";
        default:
            return "delete";
        }
    }
    Step fail(const std::string& text) {
        failed_ = true;
        h_.error(text);
        return Step::Stop;
    }
    bool refuse(const std::string& text) {
        fail(text);
        return false;
    }
    bool checkCancel() {
        if (!cancelled_ && h_.cancelled())
            cancelled_ = true;
        return cancelled_;
    }
    void report(const std::string& current) {
        if (progress_.itemsDone > progress_.itemsTotal)
            progress_.itemsTotal = progress_.itemsDone;
        if (progress_.bytesDone > progress_.bytesTotal)
            progress_.bytesTotal = progress_.bytesDone;
        progress_.current = has(SimpleProgress) ? std::string() : current;
        h_.progress(progress_);
    }
    void itemDone(const std::string& current) {
        ++progress_.itemsDone;
        report(current);
    }
    // Counts the items and bytes below an item for the progress totals.
    void scan(int dir, const std::string& name) {
        struct stat st;
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        ++progress_.itemsTotal;
        if (S_ISREG(st.st_mode))
            progress_.bytesTotal += static_cast<std::uint64_t>(st.st_size);
        if (S_ISDIR(st.st_mode)) {
            posix::Fd fd(::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            std::vector<std::string> names;
            int err;
            if (fd.get() >= 0 && readNamesAt(fd.get(), names, err)) {
                for (const auto& n : names)
                    scan(fd.get(), n);
            }
        }
    }
    void scan(const std::string& path) { scan(AT_FDCWD, path); }

    bool expand(const std::vector<std::string>& from, std::vector<std::string>& out) {
        for (const auto& raw : from) {
            std::string p = stripSlashes(raw);
            if (p.empty())
                continue;
            struct stat st;
            if (::lstat(p.c_str(), &st) == 0) {
                out.push_back(p);
                continue;
            }
            int err = errno;
            std::string pattern = baseName(p);
            if (err != ENOENT || pattern.find_first_of("*?[") == std::string::npos)
                return refuse("Cannot find " + q(p) + ": " + errorText(err) + ".");
            if (pattern == "*.*")
                pattern = "*"; // every file, as the old wildcard meant
            std::string dir = dirName(p);
            std::vector<std::string> names;
            if (!readNames(dir, names, err))
                return refuse("Cannot read the folder " + q(dir) + ": " + errorText(err) + ".");
            std::sort(names.begin(), names.end());
            std::size_t before = out.size();
            for (const auto& n : names) {
                if (::fnmatch(pattern.c_str(), n.c_str(), FNM_PERIOD) != 0)
                    continue;
                std::string full = dir == "." && p.rfind("./", 0) != 0 ? n : join(dir, n);
                if (has(FilesOnly) && ::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                    continue;
                out.push_back(full);
            }
            if (out.size() == before)
                return refuse("No files match " + q(p) + ".");
        }
        return true;
    }

    // ---- copy, move, rename ----

    bool runTransfer(const std::vector<std::string>& sources, const std::vector<std::string>& to) {
        std::vector<Pair> pairs;
        std::vector<std::string> missing;
        if (!plan(sources, to, pairs, missing))
            return false;
        for (const auto& dir : missing) {
            if (!has(NoConfirmMkDir | NoConfirmation)) {
                FileOpQuestion question{FileOpQuestion::Kind::CreateFolder,
                                        "The folder " + q(dir) + " does not exist.\n\nCreate it?",
                                        dir,
                                        {}};
                auto a = h_.ask(question);
                if (a != FileOpAnswer::Yes && a != FileOpAnswer::YesToAll) {
                    cancelled_ = true;
                    return false;
                }
            }
            std::error_code ec;
            fs::create_directories(dir, ec);
            if (ec)
                return refuse("Cannot create the folder " + q(dir) + ": " + ec.message() + ".");
        }
        for (const auto& p : pairs) {
            struct stat dst;
            if (isMove() && ::stat(dirName(p.target).c_str(), &dst) == 0 && dst.st_dev == p.st.st_dev)
                ++progress_.itemsTotal;
            else
                scan(p.src);
        }
        report({});
        for (const auto& p : pairs) {
            if (transfer(Loc::of(p.src), Loc::of(p.target), true, false) == Step::Stop)
                return false;
        }
        return true;
    }

    bool plan(const std::vector<std::string>& sources, const std::vector<std::string>& to,
              std::vector<Pair>& pairs, std::vector<std::string>& missing) {
        std::vector<std::string> targets;
        std::vector<std::string> dests;
        for (const auto& t : to) {
            std::string s = stripSlashes(t);
            if (!s.empty())
                dests.push_back(s);
        }
        if (kind_ == FileOpKind::Rename || has(MultiDestFiles)) {
            if (dests.size() != sources.size())
                return refuse("There are " + std::to_string(sources.size()) + " item(s) but " +
                              std::to_string(dests.size()) +
                              (kind_ == FileOpKind::Rename ? " new name(s)." : " destination(s)."));
            for (std::size_t i = 0; i < sources.size(); ++i) {
                bool bare = dests[i].find('/') == std::string::npos;
                targets.push_back(kind_ == FileOpKind::Rename && bare ? join(dirName(sources[i]), dests[i])
                                                                      : dests[i]);
            }
        } else {
            if (dests.empty())
                return refuse("No destination folder was given.");
            if (dests.size() > 1)
                return refuse("Only one destination folder can be given.");
            const std::string& dest = dests[0];
            struct stat st;
            bool single = false;
            if (::stat(dest.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
                struct stat sst;
                single =
                    sources.size() == 1 && ::lstat(sources[0].c_str(), &sst) == 0 && !S_ISDIR(sst.st_mode);
                if (!single)
                    return refuse("The destination " + q(dest) + " is not a folder.");
            }
            for (const auto& s : sources)
                targets.push_back(single ? dest : join(dest, baseName(s)));
        }

        std::set<std::string> seen;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            Pair p{sources[i], targets[i], {}};
            if (::lstat(p.src.c_str(), &p.st) != 0)
                return refuse("Cannot find " + q(p.src) + ": " + errorText(errno) + ".");
            if (baseName(p.target).empty() || baseName(p.target) == "." || baseName(p.target) == "..")
                return refuse("Cannot " + std::string(verb()) + " " + q(p.src) + " to " + q(p.target) + ".");
            if (S_ISDIR(p.st.st_mode)) {
                std::string self = resolved(p.src);
                std::string landing = resolved(dirName(p.target));
                if (isInside(landing, self))
                    return refuse("Cannot " + std::string(verb()) + " the folder " + q(p.src) +
                                  " into itself: the destination " + q(dirName(p.target)) +
                                  (landing == self ? " is that folder." : " lies inside it."));
            }
            struct stat tst;
            if (::lstat(p.target.c_str(), &tst) == 0 && sameItem(tst, p.st) &&
                !(kind_ == FileOpKind::Copy && has(RenameOnCollision)))
                return refuse("Cannot " + std::string(verb()) + " " + q(p.src) +
                              " onto itself: the source and the destination are the same.");
            std::string parent = dirName(p.target);
            struct stat pst;
            if (::stat(parent.c_str(), &pst) != 0) {
                if (seen.insert(parent).second)
                    missing.push_back(parent);
            } else if (!S_ISDIR(pst.st_mode)) {
                return refuse("The destination " + q(parent) + " is not a folder.");
            }
            pairs.push_back(std::move(p));
        }
        return true;
    }

    // Settles an existing target: Ok to go on (replace/merge/target updated), Skipped or Stop.
    Step settleCollision(const Loc& src, const struct stat& st, Loc& target, bool top, bool& replace,
                         bool& merge) {
        struct stat tst;
        if (::fstatat(target.dir, target.name.c_str(), &tst, AT_SYMLINK_NOFOLLOW) != 0)
            return Step::Ok;
        const bool folder = S_ISDIR(st.st_mode);
        if (top && has(RenameOnCollision)) {
            std::string renamed = freeName(target.path, folder); // top level: the name is the path
            if (has(WantMappingHandle))
                maps_.push_back({src.path, renamed});
            target = Loc::of(renamed);
            return Step::Ok;
        }
        if (sameItem(tst, st))
            return fail("Cannot " + std::string(verb()) + " " + q(src.path) + " onto itself.");
        if (folder && S_ISDIR(tst.st_mode)) {
            merge = true;
            return Step::Ok;
        }
        if (folder)
            return fail("Cannot replace the file " + q(target.path) + " with the folder " + q(src.path) +
                        ".");
        if (S_ISDIR(tst.st_mode))
            return fail("Cannot replace the folder " + q(target.path) + " with " + q(src.path) + ".");
        FileOpAnswer a = FileOpAnswer::YesToAll;
        if (!overwriteAll_ && !has(NoConfirmation)) {
            std::string text = "There is already a file named " + q(baseName(target.path)) + " in " +
                               q(dirName(target.path)) + ".\n\nReplace it (" + describe(tst) +
                               ")\nwith the one from " + q(dirName(src.path)) + " (" + describe(st) + ")?";
            a = h_.ask({FileOpQuestion::Kind::Overwrite, text, target.path, src.path});
        }
        switch (a) {
        case FileOpAnswer::YesToAll:
            overwriteAll_ = true;
            [[fallthrough]];
        case FileOpAnswer::Yes:
            replace = true;
            return Step::Ok;
        case FileOpAnswer::No:
            skipped_ = true;
            return Step::Skipped;
        default:
            cancelled_ = true;
            return Step::Stop;
        }
    }

    // fresh: target's folder was made by this operation, so nothing can be in the way.
    Step transfer(const Loc& src, Loc target, bool top, bool fresh) {
        if (checkCancel())
            return Step::Stop;
        struct stat st;
        if (::fstatat(src.dir, src.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return fail("Cannot " + std::string(verb()) + " " + q(src.path) + ": " + errorText(errno) + ".");
        report(src.path);
        bool replace = false, merge = false;
        if (!fresh) {
            Step s = settleCollision(src, st, target, top, replace, merge);
            if (s != Step::Ok) {
                if (s == Step::Skipped)
                    skipCount(src);
                return s;
            }
        }

        if (isMove() && !merge) {
            struct stat pst;
            bool sameSystem = target.dir == AT_FDCWD ? ::stat(dirName(target.path).c_str(), &pst) == 0
                                                     : ::fstat(target.dir, &pst) == 0;
            if (sameSystem && pst.st_dev == st.st_dev) {
                int err = 0;
                if (moveAt(src.at(), target.at(), replace, err)) {
                    itemDone(src.path);
                    return Step::Ok;
                }
                if (err != EXDEV)
                    return fail("Cannot " + std::string(verb()) + " " + q(src.path) + " to " +
                                q(target.path) + ": " + errorText(err) + ".");
                // Same device number but separate mounts: copy, check, delete as across systems.
            }
        }

        if (S_ISDIR(st.st_mode))
            return transferFolder(src, st, target, merge);

        TransferOptions o;
        o.replace = replace;
        o.verify = isMove();
        o.onChunk = [this, &src](std::uint64_t n) {
            progress_.bytesDone += n;
            report(src.path);
            return !checkCancel();
        };
        TransferStatus ts;
        if (S_ISREG(st.st_mode))
            ts = xfer_.copyFile(src.at(), st, target.at(), o);
        else if (S_ISLNK(st.st_mode))
            ts = xfer_.copySymlink(src.at(), st, target.at(), o);
        else
            ts = xfer_.copySpecial(src.at(), st, target.at(), o);
        if (ts == TransferStatus::Cancelled) {
            cancelled_ = true;
            return Step::Stop;
        }
        if (ts == TransferStatus::Failed)
            return fail("Cannot " + std::string(verb()) + " " + q(src.path) + " to " + q(target.path) + ": " +
                        xfer_.error() + ".");
        if (isMove() && ::unlinkat(src.dir, src.name.c_str(), 0) != 0)
            return fail(q(src.path) + " was copied to " + q(target.path) +
                        " but cannot be removed: " + errorText(errno) + ".");
        itemDone(src.path);
        return Step::Ok;
    }

    Step transferFolder(const Loc& src, const struct stat& st, const Loc& target, bool merge) {
        if (!merge && ::mkdirat(target.dir, target.name.c_str(), 0700) != 0)
            return fail("Cannot create the folder " + q(target.path) + ": " + errorText(errno) + ".");
        Step result = Step::Ok;
        {
            posix::Fd from(
                ::openat(src.dir, src.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            posix::Fd to(
                ::openat(target.dir, target.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            std::vector<std::string> names;
            int err = 0;
            if (from.get() < 0 || !readNamesAt(from.get(), names, err)) {
                result = fail("Cannot read the folder " + q(src.path) + ": " +
                              errorText(from.get() < 0 ? errno : err) + ".");
            } else if (to.get() < 0) {
                result = fail("Cannot open the folder " + q(target.path) + ": " + errorText(errno) + ".");
            } else {
                for (const auto& n : names) {
                    Step s = transfer(src.child(from.get(), n), target.child(to.get(), n), false, !merge);
                    if (s == Step::Stop) {
                        result = Step::Stop;
                        break;
                    }
                    if (s == Step::Skipped)
                        result = Step::Skipped;
                }
            }
        }
        if (!merge)
            copyAttributes(target.at(), st);
        if (result != Step::Ok)
            return result;
        if (isMove() && ::unlinkat(src.dir, src.name.c_str(), AT_REMOVEDIR) != 0)
            return fail("The folder " + q(src.path) +
                        " was moved but cannot be removed: " + errorText(errno) + ".");
        itemDone(src.path);
        return Step::Ok;
    }

    // A skipped item still counts towards the progress.
    void skipCount(const Loc& src) {
        FileOpProgress before = progress_;
        std::uint64_t items = progress_.itemsTotal, bytes = progress_.bytesTotal;
        progress_.itemsTotal = progress_.bytesTotal = 0;
        scan(src.dir, src.name);
        progress_.itemsDone = before.itemsDone + progress_.itemsTotal;
        progress_.bytesDone = before.bytesDone + progress_.bytesTotal;
        progress_.itemsTotal = items;
        progress_.bytesTotal = bytes;
        report(src.path);
    }

    // ---- delete ----

    bool runDelete(const std::vector<std::string>& sources) {
        for (const auto& s : sources) {
            if (resolved(s) == "/")
                return refuse("The root folder " + q("/") + " cannot be deleted.");
        }
        const bool trash = has(AllowUndo);
        if (!has(NoConfirmation)) {
            std::string text;
            struct stat st;
            if (sources.size() == 1) {
                bool folder = ::lstat(sources[0].c_str(), &st) == 0 && S_ISDIR(st.st_mode);
                if (trash)
                    text = std::string("Move ") + (folder ? "the folder " : "") + q(sources[0]) +
                           " to the trash?";
                else if (folder)
                    text = "Delete the folder " + q(sources[0]) + " and everything in it?";
                else
                    text = "Delete " + q(sources[0]) + "?";
            } else {
                text = (trash ? "Move these " : "Delete these ") + std::to_string(sources.size()) +
                       (trash ? " items to the trash?" : " items?");
            }
            auto a = h_.ask(
                {FileOpQuestion::Kind::ConfirmDelete, text, sources.size() == 1 ? sources[0] : "", {}});
            if (a != FileOpAnswer::Yes && a != FileOpAnswer::YesToAll) {
                cancelled_ = true;
                return false;
            }
        }
        if (trash) {
            progress_.itemsTotal = sources.size();
            report({});
            Trash bin;
            bool permanentAll = false;
            for (const auto& s : sources) {
                if (checkCancel())
                    return false;
                report(s);
                if (bin.put(s)) {
                    itemDone(s);
                    continue;
                }
                FileOpAnswer a = FileOpAnswer::Yes;
                if (!permanentAll) {
                    std::string text =
                        q(s) + " cannot be moved to the trash: " + bin.why() + ".\n\nDelete it permanently?";
                    a = h_.ask({FileOpQuestion::Kind::DeletePermanently, text, s, {}});
                }
                if (a == FileOpAnswer::YesToAll)
                    permanentAll = true;
                if (a == FileOpAnswer::No) {
                    skipped_ = true;
                    continue;
                }
                if (a == FileOpAnswer::Cancel) {
                    cancelled_ = true;
                    return false;
                }
                if (remove(s) == Step::Stop)
                    return false;
            }
            return true;
        }
        for (const auto& s : sources)
            scan(s);
        report({});
        for (const auto& s : sources) {
            if (remove(s) == Step::Stop)
                return false;
        }
        return true;
    }

    Step remove(const std::string& path) {
        if (checkCancel())
            return Step::Stop;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            return fail("Cannot delete " + q(path) + ": " + errorText(errno) + ".");
        if (S_ISDIR(st.st_mode)) {
            std::vector<std::string> names;
            int err = 0;
            if (!readNames(path, names, err))
                return fail("Cannot read the folder " + q(path) + ": " + errorText(err) + ".");
            for (const auto& n : names) {
                if (remove(join(path, n)) == Step::Stop)
                    return Step::Stop;
            }
            if (::rmdir(path.c_str()) != 0)
                return fail("Cannot delete the folder " + q(path) + ": " + errorText(errno) + ".");
        } else if (::unlink(path.c_str()) != 0) {
            return fail("Cannot delete " + q(path) + ": " + errorText(errno) + ".");
        }
        itemDone(path);
        return Step::Ok;
    }

    FileOpKind kind_;
    unsigned flags_;
    FileOpHandler& h_;
    std::vector<NameMapping>& maps_;
    FileTransfer xfer_;
    FileOpProgress progress_;
    bool failed_ = false, cancelled_ = false, skipped_ = false, overwriteAll_ = false;
};

} // namespace

std::vector<std::string> FileOperation::splitList(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

bool FileOperation::execute(FileOpHandler& handler) {
    mappings_.clear();
    Runner r(operation, flags, handler, mappings_);
    bool ok = false;
    try {
        ok = r.run(from, to);
    } catch (const std::exception& e) {
        handler.error(std::string("The operation stopped: ") + e.what() + ".");
        ok = false;
    }
    cancelled_ = r.cancelled();
    return ok;
}

} // namespace korvel::files

// The extraction request: writes the chosen members below the destination folder.
//
// Safety: a member is only ever written inside the destination. Names are split into folder
// components; absolute names and ".." components refuse the member (when folders are kept;
// without folders only the bare file name is used). Folders are opened one by one without
// following symbolic links, so neither a link stored in the archive nor one already on disk
// can lead a write elsewhere. Link members are created only when their target stays inside the
// destination. Every file is written to a temporary name beside its target and renamed over it
// once complete, so a damaged member never destroys the file it would have replaced.
#include "unzip_internal.h"
#include "ziptime.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::engine {

namespace {

struct Target {
    std::vector<std::string> dirs; // folders below the destination
    std::string leaf;              // file name; empty for a folder member
};

enum class NameCheck { Ok, Unsafe, Nothing };

NameCheck targetFor(std::string name, bool withPaths, bool spaceToUnderscore, Target& t) {
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool isDir = !name.empty() && name.back() == '/';
    std::vector<std::string> parts;
    size_t start = 0;
    bool unsafe = !name.empty() && name.front() == '/';
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        std::string c = name.substr(start, end - start);
        start = end + 1;
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
        if (isDir || parts.empty())
            return NameCheck::Nothing;
        t.leaf = parts.back();
        return NameCheck::Ok;
    }
    if (unsafe)
        return NameCheck::Unsafe;
    if (parts.empty())
        return NameCheck::Nothing;
    if (isDir) {
        t.dirs = std::move(parts);
    } else {
        t.leaf = parts.back();
        parts.pop_back();
        t.dirs = std::move(parts);
    }
    return NameCheck::Ok;
}

// A link target resolved from the link's folder without leaving the destination.
bool linkStaysInside(const std::vector<std::string>& linkDirs, const std::string& target) {
    if (target.empty() || target.front() == '/')
        return false;
    size_t depth = linkDirs.size();
    size_t start = 0;
    while (start <= target.size()) {
        size_t end = target.find('/', start);
        if (end == std::string::npos)
            end = target.size();
        std::string c = target.substr(start, end - start);
        start = end + 1;
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (depth == 0)
                return false;
            --depth;
        } else {
            ++depth;
        }
    }
    return true;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept {
        std::swap(fd_, o.fd_);
        return *this;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// Creates the destination folder and its parents when missing (following the user's links).
bool makeDestination(const std::string& dir) {
    std::string path;
    size_t start = 0;
    if (!dir.empty() && dir.front() == '/')
        path = "/";
    while (start <= dir.size()) {
        size_t end = dir.find('/', start);
        if (end == std::string::npos)
            end = dir.size();
        std::string c = dir.substr(start, end - start);
        start = end + 1;
        if (c.empty())
            continue;
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += c;
        if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Opens the folder chain below root, creating missing folders; never follows a link.
// Returns -1 with `unsafe` set when a component is a link or not a folder.
Fd openChain(int root, const std::vector<std::string>& dirs, bool& unsafe) {
    unsafe = false;
    Fd cur(::dup(root));
    for (const auto& d : dirs) {
        if (::mkdirat(cur.get(), d.c_str(), 0777) != 0 && errno != EEXIST)
            return Fd();
        int next = ::openat(cur.get(), d.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            if (errno == ELOOP || errno == ENOTDIR)
                unsafe = true;
            return Fd();
        }
        cur = Fd(next);
    }
    return cur;
}

std::string tempName() {
    static std::atomic<unsigned> counter{0};
    char buf[64];
    std::snprintf(buf, sizeof buf, ".kvx%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
    return buf;
}

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

struct Extractor {
    zip_t* za;
    UnzipRequest& rq;
    const DCL& d;
    int root = -1;
    int result = PK_OK;
    bool overwriteAll = false;
    bool overwriteNone = false;
    std::vector<char> buf = std::vector<char>(256 * 1024);

    void note(const std::string& what, const std::string& name) const {
        if (d.fQuiet == 0) {
            std::string line = what + name + "\n";
            rq.print(line.c_str(), line.size());
        }
    }

    zip_file_t* open(zip_uint64_t idx, const zip_stat_t& st, const std::string& name) {
        const bool crypt = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        zip_file_t* zf = nullptr;
        if (crypt) {
            char pw[256] = {0};
            if (rq.uf && rq.uf->password &&
                rq.uf->password(pw, static_cast<int>(sizeof pw - 1), "Enter password for: ", name.c_str()) ==
                    0 &&
                pw[0])
                zf = zip_fopen_index_encrypted(za, idx, 0, pw);
            std::memset(pw, 0, sizeof pw);
        } else {
            zf = zip_fopen_index(za, idx, 0);
        }
        if (!zf) {
            int ze = zip_error_code_zip(zip_get_error(za));
            zip_error_clear(za);
            bool pwd = crypt || ze == ZIP_ER_NOPASSWD || ze == ZIP_ER_WRONGPASSWD || ze == ZIP_ER_ENCRNOTSUPP;
            result = worse(result, pwd ? PK_BADPWD : PK_ERR);
            note(pwd ? "   skipping: (encrypted) " : "  error: cannot read ", name);
        }
        return zf;
    }

    // Reads a member to its end; with fd >= 0 writes it there. False on damaged data or a
    // failed write (result updated).
    bool copy(zip_file_t* zf, int fd, const std::string& name, std::string* keep = nullptr) {
        for (;;) {
            zip_int64_t n = zip_fread(zf, buf.data(), buf.size());
            if (n < 0) {
                result = worse(result, PK_ERR);
                note("  error: damaged data in ", name);
                return false;
            }
            if (n == 0)
                return true;
            if (keep) {
                keep->append(buf.data(), static_cast<size_t>(n));
                if (keep->size() > 4096) {
                    result = worse(result, PK_ERR);
                    return false;
                }
            }
            if (fd >= 0 && !writeAll(fd, buf.data(), static_cast<size_t>(n))) {
                result = worse(result, PK_DISK);
                note("  error: cannot write ", name);
                return false;
            }
        }
    }

    // Whether an existing file may be replaced, by the request's flags.
    bool mayReplace(const struct stat& disk, const MemberTime& mt, const std::string& name) {
        if (d.ExtractOnlyNewer || d.nUflag) {
            time_t diskTime = disk.st_mtime;
            if (!mt.exact)
                diskTime = (diskTime + 1) & ~static_cast<time_t>(1);
            return mt.when > diskTime;
        }
        if (d.noflag || overwriteAll)
            return true;
        if (overwriteNone || !d.PromptToOverwrite || !rq.uf || !rq.uf->replace)
            return false;
        std::vector<char> n(name.begin(), name.end());
        n.push_back('\0');
        int a = rq.uf->replace(n.data());
        if (a == UZ_REPLACE_ALL)
            overwriteAll = true;
        if (a == UZ_REPLACE_NONE)
            overwriteNone = true;
        return a == UZ_REPLACE_YES || a == UZ_REPLACE_ALL;
    }

    void member(zip_uint64_t idx) {
        zip_stat_t st;
        if (zip_stat_index(za, idx, 0, &st) != 0) {
            result = worse(result, PK_ERR);
            return;
        }
        const std::string name = memberName(za, idx);
        if (!rq.selected(name))
            return;
        Target t;
        NameCheck check = targetFor(name, d.ndflag != 0, d.SpaceToUnderscore != 0, t);
        if (check == NameCheck::Nothing)
            return;
        if (check == NameCheck::Unsafe) {
            result = worse(result, PK_WARN);
            note("warning: skipped member outside the destination: ", name);
            return;
        }
        const uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        if (rq.uf && rq.uf->ServCallBk &&
            rq.uf->ServCallBk(name.c_str(), static_cast<unsigned long>(size)) != 0) {
            stopped = true;
            return;
        }
        zip_uint8_t opsys = 0;
        zip_uint32_t attr = 0;
        zip_file_get_external_attributes(za, idx, 0, &opsys, &attr);
        const bool unixAttr = opsys == ZIP_OPSYS_UNIX && (attr >> 16) != 0;
        const mode_t umode = static_cast<mode_t>(attr >> 16);
        const bool isLink = unixAttr && S_ISLNK(umode);

        if (d.ntflag) { // test only: read and check
            if (t.leaf.empty())
                return;
            if (zip_file_t* zf = open(idx, st, name)) {
                if (copy(zf, -1, name))
                    note("    testing: ", name);
                zip_fclose(zf);
            }
            return;
        }

        bool unsafe = false;
        Fd dir = openChain(root, t.dirs, unsafe);
        if (dir.get() < 0) {
            result = worse(result, unsafe ? PK_WARN : PK_DISK);
            note(unsafe ? "warning: skipped member behind a link: " : "  error: cannot create folder for ",
                 name);
            return;
        }
        if (t.leaf.empty()) {
            note("   creating: ", name);
            return;
        }
        const MemberTime mt = memberTime(za, idx, st);
        struct stat disk;
        if (::fstatat(dir.get(), t.leaf.c_str(), &disk, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(disk.st_mode)) {
                result = worse(result, PK_WARN);
                note("warning: a folder is in the way of ", name);
                return;
            }
            if (!mayReplace(disk, mt, name))
                return;
        } else if (d.ExtractOnlyNewer) {
            return; // only files already on disk are brought up to date
        }

        zip_file_t* zf = open(idx, st, name);
        if (!zf)
            return;
        const std::string tmp = tempName();
        bool ok = false;
        if (isLink) {
            std::string target;
            ok = copy(zf, -1, name, &target);
            if (ok && !linkStaysInside(t.dirs, target)) {
                ok = false;
                result = worse(result, PK_WARN);
                note("warning: skipped link pointing outside the destination: ", name);
            }
            if (ok && ::symlinkat(target.c_str(), dir.get(), tmp.c_str()) != 0) {
                ok = false;
                result = worse(result, PK_DISK);
            }
        } else {
            Fd out(
                ::openat(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (out.get() < 0) {
                result = worse(result, PK_DISK);
                note("  error: cannot create ", name);
            } else {
                ok = copy(zf, out.get(), name);
                if (ok) {
                    mode_t mode = unixAttr ? (umode & 0777) : 0644;
                    if (!unixAttr && opsys == ZIP_OPSYS_DOS && (attr & 1))
                        mode = 0444;
                    ::fchmod(out.get(), mode ? mode : 0644);
                    struct timespec ts[2];
                    ts[0].tv_sec = ts[1].tv_sec = mt.when;
                    ts[0].tv_nsec = ts[1].tv_nsec = 0;
                    ::futimens(out.get(), ts);
                }
            }
        }
        zip_fclose(zf);
        if (ok && ::renameat(dir.get(), tmp.c_str(), dir.get(), t.leaf.c_str()) != 0) {
            ok = false;
            result = worse(result, PK_DISK);
        }
        if (!ok) {
            ::unlinkat(dir.get(), tmp.c_str(), 0);
            return;
        }
        note(st.comp_method == ZIP_CM_STORE ? " extracting: " : "  inflating: ", name);
    }

    bool stopped = false;
};

} // namespace

int runExtraction(zip_t* za, UnzipRequest& rq) {
    const DCL& d = *rq.dcl;
    Extractor ex{za, rq, d};
    Fd root;
    if (!d.ntflag) {
        std::string dest = (d.lpszExtractDir && *d.lpszExtractDir) ? d.lpszExtractDir : ".";
        if (!makeDestination(dest))
            return PK_DISK;
        root = Fd(::open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (root.get() < 0)
            return PK_DISK;
        ex.root = root.get();
    }
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count && !ex.stopped; ++i)
        ex.member(static_cast<zip_uint64_t>(i));
    int result = ex.result;
    if (ex.stopped)
        return worse(result, PK_CANCEL);
    if (!rq.include.empty()) {
        bool any = std::any_of(rq.includeMatched.begin(), rq.includeMatched.end(), [](bool b) { return b; });
        bool all = std::all_of(rq.includeMatched.begin(), rq.includeMatched.end(), [](bool b) { return b; });
        if (!any)
            return worse(result, PK_FIND);
        if (!all)
            result = worse(result, PK_WARN);
    }
    return result;
}

} // namespace korvel::engine

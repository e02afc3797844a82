// The extraction request: writes the chosen members below the destination folder.
//
// Safety: a member is only ever written inside the destination. Names are split into folder
// components; absolute names and ".." components refuse the member (when folders are kept;
// without folders only the bare file name is used). Folders are opened one by one without
// following symbolic links, so neither a link stored in the archive nor one already on disk
// can lead a write elsewhere. Link members are created only when their target stays inside the
// destination, resolved on disk through every link already there (those this extraction made
// included), and each link made is checked again once the next one exists, so that no set of
// links together points outside. Every file is written to a temporary name beside its target and
// renamed over it once complete, so a damaged member never destroys the file it would have
// replaced.
//
// Members are read by the engine's own directory reader and decoders, the same that serve the
// listing and print requests; libzip only decrypts encrypted members.
#include "central_dir.h"
#include "libzip_loader.h"
#include "member_decode.h"
#include "member_place.h"
#include "unzip_internal.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::engine {

namespace {

using posix::Fd;

// Where a member's bytes go: a file being written, a link target being gathered, or nowhere
// (testing).
struct Sink {
    int fd = -1;
    std::string* keep = nullptr;
    bool tooLong = false;
    bool failed = false;
    bool take(const char* p, size_t n) {
        if (keep) {
            keep->append(p, n);
            if (keep->size() > 4096)
                return !(tooLong = true);
        }
        if (fd >= 0 && !posix::writeFull(fd, p, n))
            return !(failed = true);
        return true;
    }
};

struct Extractor {
    Extractor(CentralDirectory& c, UnzipRequest& r, const DCL& dcl) : cd(c), rq(r), d(dcl) {}
    Extractor(const Extractor&) = delete;
    Extractor& operator=(const Extractor&) = delete;

    CentralDirectory& cd;
    UnzipRequest& rq;
    const DCL& d;
    int root = -1;
    int result = PK_OK;
    bool overwriteAll = false;
    bool overwriteNone = false;
    bool stopped = false;
    const LibZip* lz = nullptr; // libzip, loaded for encrypted members only
    zip_t* za = nullptr;
    bool zaTried = false;
    // Links made by this extraction, checked again after each new one.
    struct Made {
        std::vector<std::string> dirs;
        std::string leaf, target;
    };
    std::vector<Made> links;

    ~Extractor() {
        if (za)
            lz->discard(za);
    }

    void note(const std::string& what, const std::string& name, const std::string& after = {}) const {
        if (d.fQuiet == 0) {
            std::string line = what + name + after + "\n";
            rq.print(line.c_str(), line.size());
        }
    }

    // Reads the member to its end into `sink`. False on damaged data, an unsupported method or
    // a failed write (result updated, the reason told).
    bool read(const CdEntry& e, Sink& sink) {
        if (e.encrypted())
            return readEncrypted(e, sink);
        std::string_view data;
        if (!cd.memberData(e, data)) {
            result = worse(result, PK_ERR);
            note("  error: damaged data in ", e.name);
            return false;
        }
        const Decoded r =
            decodeMember(e, data, UINT64_MAX, [&sink](const char* p, size_t n) { return sink.take(p, n); });
        return finish(r, e, sink);
    }

    bool finish(Decoded r, const CdEntry& e, const Sink& sink) {
        switch (r) {
        case Decoded::Ok:
            return true;
        case Decoded::Unsupported:
            result = worse(result, PK_UNSUPP);
            note("   skipping: ", e.name, "  unsupported compression method: " + methodFullName(e.method));
            return false;
        case Decoded::Memory:
            result = worse(result, PK_MEM);
            return false;
        case Decoded::Stopped:
            if (sink.failed) {
                result = worse(result, PK_DISK);
                note("  error: cannot write ", e.name);
            } else {
                result = worse(result, PK_ERR);
                note("  error: link target too long in ", e.name);
            }
            return false;
        default:
            result = worse(result, PK_ERR);
            note("  error: damaged data in ", e.name);
            return false;
        }
    }

    // Encrypted members go through libzip (loaded on first need), with the password the callback gives.
    bool readEncrypted(const CdEntry& e, Sink& sink) {
        if (!zaTried) {
            zaTried = true;
            lz = libZip();
            int err = 0;
            if (lz)
                za = lz->open(rq.dcl->lpszZipFN, ZIP_RDONLY, &err);
        }
        zip_int64_t idx = -1;
        if (za) {
            if (static_cast<uint64_t>(lz->numEntries(za, 0)) == cd.count())
                idx = static_cast<zip_int64_t>(e.index);
            else
                idx = lz->nameLocate(za, std::string(e.rawName).c_str(), ZIP_FL_ENC_RAW);
        }
        zip_file_t* zf = nullptr;
        char pw[256] = {0};
        if (idx >= 0 && rq.uf && rq.uf->password &&
            rq.uf->password(pw, static_cast<int>(sizeof pw - 1), "Enter password for: ", e.name.c_str()) ==
                0 &&
            pw[0])
            zf = lz->fopenIndexEncrypted(za, static_cast<zip_uint64_t>(idx), 0, pw);
        std::memset(pw, 0, sizeof pw);
        if (!zf) {
            if (za)
                lz->errorClear(za);
            result = worse(result, PK_BADPWD);
            note("   skipping: (encrypted) ", e.name);
            return false;
        }
        std::vector<char> buf(256 * 1024);
        bool ok = true;
        for (;;) {
            const zip_int64_t n = lz->fread(zf, buf.data(), buf.size());
            if (n < 0) {
                result = worse(result, PK_ERR);
                note("  error: damaged data in ", e.name);
                ok = false;
                break;
            }
            if (n == 0)
                break;
            if (!sink.take(buf.data(), static_cast<size_t>(n))) {
                ok = finish(Decoded::Stopped, e, sink);
                break;
            }
        }
        lz->fclose(zf);
        return ok;
    }

    // Whether an existing file may be replaced, by the request's flags.
    bool mayReplace(const struct stat& disk, time_t when, bool exact, const std::string& name) {
        if (d.ExtractOnlyNewer || d.nUflag) {
            time_t diskTime = disk.st_mtime;
            if (!exact)
                diskTime = (diskTime + 1) & ~static_cast<time_t>(1);
            return when > diskTime;
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

    // Whether every link made so far still resolves inside the destination.
    bool linksStayInside() const {
        return std::all_of(links.begin(), links.end(),
                           [&](const Made& m) { return linkStaysInside(root, m.dirs, m.target); });
    }

    // The file mode: the Unix permissions the member carries, else read-only when its DOS
    // read-only attribute is set.
    static mode_t fileMode(const CdEntry& e) {
        const mode_t umode = static_cast<mode_t>(e.externalAttr >> 16);
        const bool unixHost = e.madeBy == 3 || e.madeBy == 19; // Unix, OS X
        if (unixHost && (umode & 0777))
            return umode & 0777;
        return (e.externalAttr & 1) ? 0444 : 0644;
    }

    void member(const CdEntry& e) {
        const std::string& name = e.name;
        if (!rq.selected(name))
            return;
        MemberPlace t;
        const bool isFolder = !name.empty() && (name.back() == '/' || name.back() == '\\');
        const PlaceCheck check = placeFor(name, isFolder, d.ndflag != 0, d.SpaceToUnderscore != 0, t);
        if (check == PlaceCheck::Nothing)
            return;
        if (check == PlaceCheck::Unsafe) {
            result = worse(result, PK_WARN);
            note("warning: skipped member outside the destination: ", name);
            return;
        }
        if (rq.uf && rq.uf->ServCallBk &&
            rq.uf->ServCallBk(name.c_str(), static_cast<unsigned long>(e.size)) != 0) {
            stopped = true;
            return;
        }
        const mode_t umode = static_cast<mode_t>(e.externalAttr >> 16);
        const bool isLink = (e.madeBy == 3 || e.madeBy == 19) && S_ISLNK(umode);

        if (d.ntflag) { // test only: read and check
            if (t.leaf.empty())
                return;
            Sink none;
            if (read(e, none))
                note("    testing: ", name);
            return;
        }

        bool unsafe = false;
        Fd dir = openFolders(root, t.dirs, true, unsafe);
        if (!dir.valid()) {
            result = worse(result, unsafe ? PK_WARN : PK_DISK);
            note(unsafe ? "warning: skipped member behind a link: " : "  error: cannot create folder for ",
                 name);
            return;
        }
        if (t.leaf.empty()) {
            note("   creating: ", name);
            return;
        }
        bool exact = false;
        const time_t when = entryUnixTime(e, exact);
        struct stat disk;
        if (::fstatat(dir.get(), t.leaf.c_str(), &disk, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(disk.st_mode)) {
                result = worse(result, PK_WARN);
                note("warning: a folder is in the way of ", name);
                return;
            }
            if (!mayReplace(disk, when, exact, name))
                return;
        } else if (d.ExtractOnlyNewer) {
            return; // only files already on disk are brought up to date
        }
        if (isLink)
            writeLink(e, dir.get(), t);
        else
            writeFile(e, dir.get(), t.leaf, when);
    }

    // A link member: made under a temporary name when its target stays inside the destination,
    // put in place, then every link made so far looked at again: a new link may change where an
    // earlier one leads. One that would leave goes again.
    void writeLink(const CdEntry& e, int dir, const MemberPlace& t) {
        std::string target;
        Sink sink;
        sink.keep = &target;
        if (!read(e, sink))
            return;
        if (!linkStaysInside(root, t.dirs, target)) {
            result = worse(result, PK_WARN);
            note("warning: skipped link pointing outside the destination: ", e.name);
            return;
        }
        const std::string tmp = temporaryName();
        if (!putInPlace(dir, tmp, t.leaf, ::symlinkat(target.c_str(), dir, tmp.c_str()) == 0)) {
            result = worse(result, PK_DISK);
            return;
        }
        links.push_back({t.dirs, t.leaf, target});
        if (!linksStayInside()) {
            ::unlinkat(dir, t.leaf.c_str(), 0);
            links.pop_back();
            result = worse(result, PK_WARN);
            note("warning: skipped link pointing outside the destination: ", e.name);
            return;
        }
        note(" extracting: ", e.name);
    }

    // A file member: written to a temporary name beside `leaf` and renamed over it once complete.
    void writeFile(const CdEntry& e, int dir, const std::string& leaf, time_t when) {
        const std::string tmp = temporaryName();
        Fd out(::openat(dir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.valid()) {
            result = worse(result, PK_DISK);
            note("  error: cannot create ", e.name);
            return;
        }
        Sink sink;
        sink.fd = out.get();
        bool ok = read(e, sink);
        if (ok) {
            ::fchmod(out.get(), fileMode(e));
            struct timespec ts[2];
            ts[0].tv_sec = ts[1].tv_sec = when;
            ts[0].tv_nsec = ts[1].tv_nsec = 0;
            ::futimens(out.get(), ts);
        }
        if (!out.close() && ok) { // the last word of a failed write may come only now
            ok = false;
            result = worse(result, PK_DISK);
            note("  error: cannot write ", e.name);
        }
        if (!putInPlace(dir, tmp, leaf, ok)) {
            if (ok)
                result = worse(result, PK_DISK);
            return;
        }
        note(e.method == 0 ? " extracting: " : "  inflating: ", e.name);
    }
};

} // namespace

int runExtraction(CentralDirectory& cd, UnzipRequest& rq) {
    const DCL& d = *rq.dcl;
    Extractor ex(cd, rq, d);
    Fd root;
    if (!d.ntflag) {
        std::string dest = (d.lpszExtractDir && *d.lpszExtractDir) ? d.lpszExtractDir : ".";
        if (!makeFolders(dest))
            return PK_DISK;
        root = Fd(::open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (root.get() < 0)
            return PK_DISK;
        ex.root = root.get();
    }
    CdEntry e;
    while (!ex.stopped && cd.next(e))
        ex.member(e);
    int result = ex.result;
    if (cd.damaged())
        result = worse(result, PK_ERR);
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

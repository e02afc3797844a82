#include "core/files/Trash.h"

#include "core/files/FileTransfer.h"
#include "posix_io.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace korvel::files {
namespace {

bool isOwnDir(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Creates path as a private folder unless it is one already.
bool ensurePrivateDir(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return isOwnDir(path);
}

// The device of path, or of its nearest existing ancestor.
bool deviceOf(fs::path p, dev_t& dev) {
    struct stat st;
    while (!p.empty()) {
        if (::stat(p.c_str(), &st) == 0) {
            dev = st.st_dev;
            return true;
        }
        if (p == p.parent_path())
            break;
        p = p.parent_path();
    }
    return false;
}

// The top folder of the mount that holds dir (which lies on dev).
std::string mountTop(fs::path dir, dev_t dev) {
    while (dir.has_parent_path() && dir != dir.parent_path()) {
        struct stat st;
        if (::stat(dir.parent_path().c_str(), &st) != 0 || st.st_dev != dev)
            break;
        dir = dir.parent_path();
    }
    return dir.string();
}

std::string deletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    return text;
}

} // namespace

Trash::Trash(std::string homeTrash) : home_(homeTrash.empty() ? defaultHomeTrash() : std::move(homeTrash)) {}

std::string Trash::defaultHomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/.local/share/Trash";
}

std::string Trash::encodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool Trash::fail(const std::string& why) {
    why_ = why;
    return false;
}

// The trash folder for an item on dev; topdir is set for a volume's trash (paths in its info
// files are relative to it) and left empty for the home trash.
std::string Trash::trashFor(const std::string& item, dev_t dev, std::string& topdir) {
    topdir.clear();
    dev_t homeDev;
    if (deviceOf(home_, homeDev) && homeDev == dev) {
        std::error_code ec;
        fs::create_directories(home_, ec);
        ::chmod(home_.c_str(), 0700);
        if (isOwnDir(home_) && ensurePrivateDir(home_ + "/files") && ensurePrivateDir(home_ + "/info"))
            return home_;
        why_ = "the trash folder \"" + home_ + "\" cannot be used";
        return {};
    }
    topdir = mountTop(fs::path(item).parent_path(), dev);
    const std::string uid = std::to_string(::getuid());
    std::string shared = (topdir == "/" ? "" : topdir) + "/.Trash";
    struct stat st;
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        std::string mine = shared + "/" + uid;
        if (ensurePrivateDir(mine) && ensurePrivateDir(mine + "/files") && ensurePrivateDir(mine + "/info"))
            return mine;
    }
    std::string own = (topdir == "/" ? "" : topdir) + "/.Trash-" + uid;
    if (ensurePrivateDir(own) && ensurePrivateDir(own + "/files") && ensurePrivateDir(own + "/info"))
        return own;
    why_ = "this volume has no trash folder and none can be made in \"" + topdir + "\"";
    return {};
}

bool Trash::put(const std::string& path) {
    why_.clear();
    trashedAs_.clear();
    infoFile_.clear();
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return fail(errorText(errno));
    // The item's own place: its folder resolved, its name as it is (a link stays a link).
    std::error_code ec;
    fs::path p = fs::path(path).lexically_normal();
    if (p.filename().empty())
        p = p.parent_path();
    fs::path parent = fs::canonical(fs::absolute(p, ec).parent_path(), ec);
    if (ec)
        return fail(ec.message());
    std::string name = p.filename().string();
    if (name.empty() || name == "." || name == "..")
        return fail("it has no name of its own");
    std::string original = (parent / name).string();

    std::string topdir;
    std::string trash = trashFor(original, st.st_dev, topdir);
    if (trash.empty())
        return false;
    if (original == trash || original.rfind(trash + "/", 0) == 0)
        return fail("it is part of the trash");
    struct stat tst;
    if (::stat((trash + "/files").c_str(), &tst) != 0 || tst.st_dev != st.st_dev)
        return fail("the trash lies on another file system");

    std::string pathKey = original;
    if (!topdir.empty()) {
        pathKey = fs::path(original).lexically_relative(topdir).string();
        if (pathKey.empty() || pathKey.rfind("..", 0) == 0)
            pathKey = original;
    }
    const std::string info =
        "[Trash Info]\nPath=" + encodePath(pathKey) + "\nDeletionDate=" + deletionDate() + "\n";

    // Reserve a free name by creating its info file exclusively, then move the item in.
    std::string base = name.size() > 200 ? name.substr(0, 200) : name;
    for (int n = 1; n < 10000; ++n) {
        std::string entry = n == 1 ? base : base + "." + std::to_string(n);
        std::string infoPath = trash + "/info/" + entry + ".trashinfo";
        posix::Fd fd(::open(infoPath.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
        if (!fd.valid()) {
            if (errno == EEXIST)
                continue;
            return fail(errorText(errno));
        }
        bool written = posix::writeFull(fd.get(), info.data(), info.size());
        written = fd.close() && written;
        if (!written) {
            int e = errno;
            ::unlink(infoPath.c_str());
            return fail(errorText(e));
        }
        std::string dest = trash + "/files/" + entry;
        int e = 0;
        if (FileTransfer::publish(AT_FDCWD, original, dest, false, e)) {
            trashedAs_ = dest;
            infoFile_ = infoPath;
            return true;
        }
        ::unlink(infoPath.c_str());
        if (e == EEXIST)
            continue; // a stray item without an info file holds the name
        return fail(errorText(e));
    }
    return fail("the trash holds too many items of that name");
}

} // namespace korvel::files

// ZpArchive: adds files to an archive (or deletes members from it) under the options in force.
//
// The archive is never changed in place: libzip writes the new archive to a temporary file
// beside it and renames it over the old one only once everything was written. Any failure
// before or during that discards the work, so the original archive stays byte for byte as it
// was. Files are deleted for the "move" option only after that rename succeeded.
#include "fast_add.h"
#include "wildmatch.h"
#include "zip32_internal.h"
#include "ziptime.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <glob.h>
#include <map>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

namespace korvel::engine {

namespace {

struct Item {
    std::string path;   // on disk
    std::string member; // name in the archive; folders end with "/"
    struct stat st;
    bool dir;
};

int worseZip(int a, int b) {
    // Warnings (a name matched nothing, a file could not be opened) rank below real failures.
    auto rank = [](int r) { return r == ZE_OK ? 0 : (r == ZE_NAME || r == ZE_OPEN || r == ZE_NONE) ? 1 : 2; };
    return rank(b) > rank(a) ? b : a;
}

class Job {
public:
    Job(const ZPOPT& o, const ZIPUSERFUNCTIONS& cb) : o_(o), cb_(cb) {}

    int run(const std::string& archive, const std::vector<std::string>& names);

private:
    void say(const std::string& text) const {
        if (cb_.print) {
            std::string t = text + "\n";
            cb_.print(t.data(), static_cast<unsigned long>(t.size()));
        }
    }
    std::string memberFor(const std::string& path, bool dir) const;
    int fastAddChecked(const std::string& archive, const std::vector<FastItem>& items, bool& cancelled);
    void addName(const std::string& name);
    void addPath(const std::string& path, bool explicitName, int depth);
    void push(Item item);
    int deleteEntries(zip_t* za, const std::vector<std::string>& names);
    bool isNewer(zip_t* za, zip_uint64_t idx, const struct stat& st) const;

    // The steps of run().
    int deleteNamed(const std::string& archive, const std::vector<std::string>& names);
    bool fastPathFits() const;
    int addFast(const std::string& archive);
    zip_t* openForAdding(const std::string& archive, int& result);
    enum class Added { Yes, Skipped, Failed, Cancelled };
    Added addItem(zip_t* za, zip_int64_t original, const Item& it);
    time_t latestMemberTime(zip_t* za) const;
    void removeMoved(const std::vector<const Item*>& added) const;

    ZPOPT o_;
    ZIPUSERFUNCTIONS cb_;
    struct stat archiveSt_ {};
    bool archiveExists_ = false;
    std::vector<Item> items_;
    std::map<std::string, size_t> byMember_;
    int result_ = ZE_OK;
    bool serviced_ = false;
};

std::string Job::memberFor(const std::string& path, bool dir) const {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string c = path.substr(start, end - start);
        start = end + 1;
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (!parts.empty() && !o_.fJunkDir)
                parts.pop_back();
            continue;
        }
        parts.push_back(std::move(c));
    }
    if (parts.empty())
        return {};
    std::string m;
    if (o_.fJunkDir) {
        m = parts.back();
    } else {
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i)
                m += '/';
            m += parts[i];
        }
    }
    if (dir)
        m += '/';
    return m;
}

void Job::push(Item item) {
    auto it = byMember_.find(item.member);
    if (it != byMember_.end()) {
        items_[it->second] = std::move(item); // the same name twice: the last one counts
        return;
    }
    byMember_.emplace(item.member, items_.size());
    items_.push_back(std::move(item));
}

void Job::addName(const std::string& name) {
    struct stat st;
    if (!name.empty() && ::stat(name.c_str(), &st) == 0) {
        addPath(name, true, 0);
        return;
    }
    if (!name.empty() && hasWildcards(name)) {
        glob_t g{};
        if (::glob(name.c_str(), 0, nullptr, &g) == 0) {
            for (size_t i = 0; i < g.gl_pathc; ++i)
                addPath(g.gl_pathv[i], true, 0);
            ::globfree(&g);
            return;
        }
        ::globfree(&g);
    }
    say("zip warning: name not matched: " + name);
    result_ = worseZip(result_, ZE_NAME);
}

void Job::addPath(const std::string& path, bool explicitName, int depth) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        say("zip warning: could not open for reading: " + path);
        result_ = worseZip(result_, ZE_OPEN);
        return;
    }
    if (archiveExists_ && st.st_dev == archiveSt_.st_dev && st.st_ino == archiveSt_.st_ino)
        return; // never the archive into itself
    if (S_ISDIR(st.st_mode)) {
        if (!o_.fJunkDir) {
            std::string m = memberFor(path, true);
            if (!m.empty())
                push({path, m, st, true});
        }
        if (!o_.fRecurse || depth > 256)
            return;
        DIR* d = ::opendir(path.c_str());
        if (!d) {
            say("zip warning: could not open folder: " + path);
            result_ = worseZip(result_, ZE_OPEN);
            return;
        }
        std::vector<std::string> children;
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n == "." || n == "..")
                continue;
            if (n[0] == '.' && !o_.fSystem)
                continue; // hidden files only with "system and hidden files"
            children.push_back(n);
        }
        ::closedir(d);
        std::sort(children.begin(), children.end());
        std::string base = path;
        if (base.empty() || base.back() != '/')
            base += '/';
        for (const auto& c : children) {
            std::string child = base + c;
            struct stat lst;
            if (::lstat(child.c_str(), &lst) != 0)
                continue;
            if (S_ISLNK(lst.st_mode)) {
                struct stat tst;
                if (::stat(child.c_str(), &tst) == 0 && S_ISDIR(tst.st_mode))
                    continue; // linked folders are not followed: no loops
            }
            addPath(child, false, depth + 1);
        }
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        // Devices, pipes and sockets are never read: reading them may block or never end.
        if (explicitName)
            say("zip warning: skipped special file: " + path);
        return;
    }
    std::string m = memberFor(path, false);
    if (m.empty()) {
        say("zip warning: name not matched: " + path);
        result_ = worseZip(result_, ZE_NAME);
        return;
    }
    push({path, m, st, false});
}

int Job::fastAddChecked(const std::string& archive, const std::vector<FastItem>& items, bool& cancelled) {
    for (const auto& it : items) {
        if (cb_.ServiceApplication &&
            cb_.ServiceApplication(it.member.c_str(), static_cast<unsigned long>(it.st.st_size)) != 0) {
            cancelled = true;
            return ZE_ABORT;
        }
    }
    serviced_ = true; // asked once: libzip's path, if it takes over, does not ask again
    return fastAdd(archive, items, o_.fLevel, o_.fExtra != 0);
}

bool Job::isNewer(zip_t* za, zip_uint64_t idx, const struct stat& st) const {
    zip_stat_t zs;
    if (zip_stat_index(za, idx, 0, &zs) != 0)
        return true;
    MemberTime mt = memberTime(za, idx, zs);
    time_t disk = st.st_mtime;
    if (!mt.exact)
        disk = (disk + 1) & ~static_cast<time_t>(1); // DOS times step by two seconds
    return disk > mt.when;
}

// The names a member answers to: the bytes stored (a Unix name, Latin-1 ones from old disks too)
// and, when it reads them otherwise, libzip's reading (a DOS tool's code page 437 name as UTF-8).
// Empty for a deleted member.
std::vector<std::string> namesOf(zip_t* za, zip_uint64_t i) {
    const char* raw = zip_get_name(za, i, ZIP_FL_ENC_RAW);
    if (!raw)
        return {};
    std::vector<std::string> out{raw};
    const char* guessed = zip_get_name(za, i, ZIP_FL_ENC_GUESS);
    if (guessed && out.front() != guessed)
        out.emplace_back(guessed);
    return out;
}

int Job::deleteEntries(zip_t* za, const std::vector<std::string>& names) {
    const zip_int64_t count = zip_get_num_entries(za, 0);
    int deleted = 0;
    for (const auto& pattern : names) {
        bool matched = false;
        for (zip_int64_t i = 0; i < count; ++i) {
            const std::vector<std::string> ns = namesOf(za, static_cast<zip_uint64_t>(i));
            if (ns.empty())
                continue; // already deleted
            if (std::any_of(ns.begin(), ns.end(),
                            [&](const std::string& n) { return wildmatch(pattern, n, false); })) {
                zip_delete(za, static_cast<zip_uint64_t>(i));
                say("deleting: " + ns.back());
                matched = true;
                ++deleted;
            }
        }
        if (!matched) {
            say("zip warning: name not matched: " + pattern);
            result_ = worseZip(result_, ZE_NAME);
        }
    }
    return deleted;
}

// The members among the first `count` whose names equal `member` without regard to ASCII case,
// in directory order.
std::vector<zip_uint64_t> sameNamed(zip_t* za, zip_int64_t count, const std::string& member) {
    std::vector<zip_uint64_t> out;
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::vector<std::string> ns = namesOf(za, static_cast<zip_uint64_t>(i));
        if (std::any_of(ns.begin(), ns.end(),
                        [&](const std::string& n) { return ::strcasecmp(n.c_str(), member.c_str()) == 0; }))
            out.push_back(static_cast<zip_uint64_t>(i));
    }
    return out;
}

// A folder member of exactly that name, stored bytes or libzip's reading; -1 when there is none.
zip_int64_t folderIndex(zip_t* za, const std::string& member) {
    const zip_int64_t raw = zip_name_locate(za, member.c_str(), ZIP_FL_ENC_RAW);
    return raw >= 0 ? raw : zip_name_locate(za, member.c_str(), ZIP_FL_ENC_GUESS);
}

void setUnixAttributes(zip_t* za, zip_uint64_t idx, const Item& it, bool exactTime) {
    zip_uint32_t attr = static_cast<zip_uint32_t>(it.st.st_mode & 0xFFFF) << 16;
    if (it.dir)
        attr |= 0x10;
    if (!(it.st.st_mode & S_IWUSR))
        attr |= 0x01;
    zip_file_set_external_attributes(za, idx, 0, ZIP_OPSYS_UNIX, attr);
    zip_file_extra_field_delete_by_id(za, idx, 0x5455, ZIP_EXTRA_FIELD_ALL, ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
    if (exactTime) {
        uint32_t t = static_cast<uint32_t>(it.st.st_mtime);
        zip_uint8_t ut[5] = {1, zip_uint8_t(t), zip_uint8_t(t >> 8), zip_uint8_t(t >> 16),
                             zip_uint8_t(t >> 24)};
        zip_file_extra_field_set(za, idx, 0x5455, ZIP_EXTRA_FIELD_NEW, ut, sizeof ut,
                                 ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
    }
    zip_file_set_mtime(za, idx, it.st.st_mtime, 0);
}

int closeError(zip_t* za) {
    int ze = zip_error_code_zip(zip_get_error(za));
    zip_discard(za);
    switch (ze) {
    case ZIP_ER_READ:
    case ZIP_ER_OPEN:
    case ZIP_ER_CHANGED:
        return ZE_READ;
    case ZIP_ER_MEMORY:
        return ZE_MEM;
    case ZIP_ER_CANCELLED:
        return ZE_ABORT;
    default:
        return ZE_TEMP;
    }
}

// Deletes the members matching `names`; the archive is written anew without them.
int Job::deleteNamed(const std::string& archive, const std::vector<std::string>& names) {
    int err = 0;
    zip_t* za = zip_open(archive.c_str(), 0, &err);
    if (!za)
        return err == ZIP_ER_NOENT || err == ZIP_ER_OPEN ? ZE_NAME : ZE_FORM;
    if (deleteEntries(za, names) == 0) {
        zip_discard(za);
        return ZE_NONE;
    }
    if (zip_close(za) != 0)
        return closeError(za);
    return result_;
}

// Adding plain files to an existing archive (the description save): copied raw, without
// libzip, when the archive is one the fast path fully understands.
bool Job::fastPathFits() const {
    return o_.fGrow && o_.fJunkDir && !o_.fMove && !o_.fUpdate && !o_.fFreshen && !o_.fLatestTime &&
           archiveExists_ && !items_.empty() &&
           std::none_of(items_.begin(), items_.end(), [](const Item& i) { return i.dir; });
}

// The raw copy: its result, or kFastPathDeclined when libzip has to do the work.
int Job::addFast(const std::string& archive) {
    std::vector<FastItem> fast;
    for (const auto& it : items_)
        fast.push_back({it.path, it.member, it.st});
    bool cancelled = false;
    const int r = fastAddChecked(archive, fast, cancelled);
    if (cancelled)
        return ZE_ABORT;
    if (r == kFastPathDeclined)
        return r;
    if (r != ZE_OK) {
        say("zip error: the archive was not changed");
        return r;
    }
    for (const auto& it : items_)
        say("  adding: " + it.member);
    return result_;
}

// Without "grow" a new archive replaces the old one; updating and freshening always work on the
// archive as it is. Null with `result` set when it cannot be opened.
zip_t* Job::openForAdding(const std::string& archive, int& result) {
    const bool keepOld = o_.fGrow || o_.fUpdate || o_.fFreshen;
    int err = 0;
    zip_t* za = zip_open(archive.c_str(), ZIP_CREATE | (keepOld ? 0 : ZIP_TRUNCATE), &err);
    if (!za) {
        say("zip error: cannot open archive " + archive);
        result = err == ZIP_ER_MEMORY                          ? ZE_MEM
                 : (err == ZIP_ER_OPEN || err == ZIP_ER_NOENT) ? ZE_TEMP
                                                               : ZE_FORM;
    }
    return za;
}

// Adds one item to the open archive under the options in force. A file replaces every member of
// its name without regard to case (FILE_ID.DIZ for file_id.diz, as on the systems such archives
// come from) and keeps the stored name of the first; a folder is matched by its exact name.
// `original` is the number of members the archive had when opened.
Job::Added Job::addItem(zip_t* za, zip_int64_t original, const Item& it) {
    std::vector<zip_uint64_t> same;
    if (!it.dir)
        same = sameNamed(za, original, it.member);
    const zip_int64_t existing = it.dir         ? folderIndex(za, it.member)
                                 : same.empty() ? -1
                                                : static_cast<zip_int64_t>(same.front());
    if (o_.fFreshen && existing < 0)
        return Added::Skipped;
    if ((o_.fUpdate || o_.fFreshen) && existing >= 0 &&
        !isNewer(za, static_cast<zip_uint64_t>(existing), it.st))
        return Added::Skipped;
    if (it.dir && existing >= 0)
        return Added::Skipped;
    if (!serviced_ && cb_.ServiceApplication &&
        cb_.ServiceApplication(it.member.c_str(), static_cast<unsigned long>(it.dir ? 0 : it.st.st_size)) !=
            0)
        return Added::Cancelled;
    const int level = o_.fLevel - '0';
    zip_int64_t idx;
    if (it.dir) {
        std::string d = it.member.substr(0, it.member.size() - 1);
        idx = zip_dir_add(za, d.c_str(), ZIP_FL_ENC_GUESS);
    } else {
        zip_error_t ze;
        zip_error_init(&ze);
        zip_source_t* src = zip_source_file_create(it.path.c_str(), 0, 0, &ze);
        zip_error_fini(&ze);
        if (!src) {
            say("zip warning: could not open for reading: " + it.path);
            result_ = worseZip(result_, ZE_OPEN);
            return Added::Skipped;
        }
        if (existing >= 0) {
            idx = zip_file_replace(za, static_cast<zip_uint64_t>(existing), src, 0) == 0 ? existing : -1;
            if (idx >= 0)
                zip_file_extra_field_delete(za, static_cast<zip_uint64_t>(idx), ZIP_EXTRA_FIELD_ALL,
                                            ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
            for (size_t k = 1; idx >= 0 && k < same.size(); ++k)
                zip_delete(za, same[k]);
        } else {
            idx = zip_file_add(za, it.member.c_str(), src, ZIP_FL_ENC_GUESS);
        }
        if (idx < 0) {
            zip_source_free(src);
        } else if (zip_set_file_compression(za, static_cast<zip_uint64_t>(idx),
                                            level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                            static_cast<zip_uint32_t>(level)) != 0) {
            idx = -1;
        }
    }
    if (idx < 0)
        return Added::Failed;
    setUnixAttributes(za, static_cast<zip_uint64_t>(idx), it, !o_.fExtra);
    say("  adding: " + it.member);
    return Added::Yes;
}

// The newest member time in the archive (for "latest time").
time_t Job::latestMemberTime(zip_t* za) const {
    time_t latest = 0;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t zs;
        if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &zs) == 0)
            latest = std::max(latest, memberTime(za, static_cast<zip_uint64_t>(i), zs).when);
    }
    return latest;
}

// For "move": removes the files added, then the folders added, deepest first; a folder that
// still holds something stays.
void Job::removeMoved(const std::vector<const Item*>& added) const {
    std::vector<std::string> dirs;
    for (const Item* it : added) {
        if (it->dir)
            dirs.push_back(it->path);
        else
            ::unlink(it->path.c_str());
    }
    std::sort(dirs.begin(), dirs.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const auto& d : dirs)
        ::rmdir(d.c_str());
}

int Job::run(const std::string& archive, const std::vector<std::string>& names) {
    archiveExists_ = ::stat(archive.c_str(), &archiveSt_) == 0;
    if (o_.fDeleteEntries)
        return deleteNamed(archive, names);

    for (const auto& n : names)
        addName(n);
    if (fastPathFits()) {
        if (const int r = addFast(archive); r != kFastPathDeclined)
            return r;
    }

    int result = ZE_OK;
    zip_t* za = openForAdding(archive, result);
    if (!za)
        return result;
    const zip_int64_t original = zip_get_num_entries(za, 0);
    std::vector<const Item*> added;
    for (const auto& it : items_) {
        switch (addItem(za, original, it)) {
        case Added::Yes:
            added.push_back(&it);
            break;
        case Added::Skipped:
            break;
        case Added::Cancelled:
            zip_discard(za);
            return ZE_ABORT;
        case Added::Failed:
            zip_discard(za);
            return ZE_MEM;
        }
    }
    if (added.empty()) {
        // Nothing changes: the archive is left alone (an empty "new" archive would delete it).
        zip_discard(za);
        return ZE_NONE;
    }

    const time_t latest = o_.fLatestTime ? latestMemberTime(za) : 0;
    if (zip_close(za) != 0) {
        say("zip error: the archive was not changed");
        return closeError(za);
    }
    if (o_.fLatestTime && latest > 0) {
        struct utimbuf ut {
            latest, latest
        };
        ::utime(archive.c_str(), &ut);
    }
    if (o_.fMove)
        removeMoved(added);
    return result_;
}

} // namespace

} // namespace korvel::engine

extern "C" ZE_API int ZpArchive(ZCL C) {
    if (!C.lpszZipFN || !*C.lpszZipFN || C.argc < 0 || (C.argc > 0 && !C.FNV))
        return ZE_PARMS;
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(C.argc));
    for (int i = 0; i < C.argc; ++i)
        names.emplace_back(C.FNV[i] ? C.FNV[i] : "");
    korvel::engine::Job job(korvel::engine::options(), korvel::engine::callbacks());
    return job.run(C.lpszZipFN, names);
}

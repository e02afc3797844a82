#pragma once
// A fresh folder under the system's temporary folder, removed with all it holds when it goes out
// of scope. Removal goes by the names' bytes, so names that are no UTF-8 go too, and folders a
// test made unreadable or unwritable are opened up first.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace korvel::test {

namespace fs = std::filesystem;

// Removes `path` and everything below it; links are removed, never followed.
inline void removeTree(const fs::path& path) {
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::directory) {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            removeTree(it->path());
    }
    fs::remove(path, ec);
}

class TempDir {
public:
    explicit TempDir(const fs::path& base = fs::temp_directory_path()) {
        std::string t = (base / "korvel-test-XXXXXX").string();
        if (!::mkdtemp(t.data()))
            std::abort();
        path_ = t;
    }
    ~TempDir() { removeTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return (path_ / rel).string(); }

private:
    fs::path path_;
};

} // namespace korvel::test

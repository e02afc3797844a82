#pragma once
// The single-item transfers of the file operation engine: one regular file, one symbolic link, one
// special file. A new item is built under a name nobody sees (an unnamed file, or a hidden
// temporary name beside the target) and takes its final name only when it is complete.
//
// Items are named by a folder descriptor and a name in it (AT_FDCWD and a path work too), so a
// tree is walked without looking its whole path up again for every file.

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace korvel::files {

enum class TransferStatus { Ok, Cancelled, Failed };

struct TransferOptions {
    bool replace = false; // an existing target may be replaced (atomically)
    bool verify = false;  // sync the copy, read it back and compare it with what was read
    // Called after each chunk with the bytes just written; false cancels.
    std::function<bool(std::uint64_t)> onChunk;
};

// An item: a name inside an open folder (or AT_FDCWD and a path).
struct At {
    int dir;
    std::string name;
};

class FileTransfer {
public:
    FileTransfer();

    // Copies the regular file src (whose lstat is st) to target, keeping permissions and times.
    TransferStatus copyFile(const At& src, const struct stat& st, const At& target, const TransferOptions& o);
    // Copies the link itself, never what it points to.
    TransferStatus copySymlink(const At& src, const struct stat& st, const At& target,
                               const TransferOptions& o);
    // Fifos and device nodes.
    TransferStatus copySpecial(const At& src, const struct stat& st, const At& target,
                               const TransferOptions& o);

    // After Failed: what went wrong, in words ("No space left on device").
    const std::string& error() const { return error_; }

    // A hidden name for a temporary beside the item called name (a bare name, no folder).
    static std::string temporaryName(const std::string& name);
    // Gives the finished item tmp the name target, both in folder dir; without replace an
    // existing target is an error (EEXIST), never overwritten.
    static bool publish(int dir, const std::string& tmp, const std::string& target, bool replace, int& err);

private:
    TransferStatus fail(int err);
    TransferStatus fail(const std::string& text);
    std::vector<char> buffer_;
    std::string error_;
};

// Sets permissions and access/modification times of an item from st (not following a link).
bool copyAttributes(const At& item, const struct stat& st);
std::string errorText(int err);

} // namespace korvel::files

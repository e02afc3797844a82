#pragma once
// The single-item transfers of the file operation engine: one regular file, one symbolic link, one
// special file. A new item is built under a name nobody sees (an unnamed file, or a hidden
// temporary name beside the target) and takes its final name only when it is complete.

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

class FileTransfer {
public:
    FileTransfer();

    // Copies the regular file src (whose lstat is st) to target, keeping permissions and times.
    TransferStatus copyFile(const std::string& src, const struct stat& st, const std::string& target,
                            const TransferOptions& o);
    // Copies the link itself, never what it points to.
    TransferStatus copySymlink(const std::string& src, const struct stat& st, const std::string& target,
                               const TransferOptions& o);
    // Fifos and device nodes.
    TransferStatus copySpecial(const std::string& src, const struct stat& st, const std::string& target,
                               const TransferOptions& o);

    // After Failed: what went wrong, in words ("No space left on device").
    const std::string& error() const { return error_; }

    // A hidden name beside target that does not exist yet.
    static std::string temporaryName(const std::string& target);
    // Gives the finished item at tmp the name target; without replace an existing target is an
    // error (EEXIST), never overwritten.
    static bool publish(const std::string& tmp, const std::string& target, bool replace, int& err);

private:
    TransferStatus fail(int err);
    TransferStatus fail(const std::string& text);
    std::vector<char> buffer_;
    std::string error_;
};

// Sets permissions and access/modification times of path from st (not following a link).
bool copyAttributes(const std::string& path, const struct stat& st);
std::string errorText(int err);

} // namespace korvel::files

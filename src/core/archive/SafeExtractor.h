#pragma once
// Writes archive members below one destination folder, whatever the archive says, by the rules
// the unzip engine follows too (member_place.h): a name that would leave the destination is
// refused, folders are opened without following links, a symbolic link is made only when it
// resolves inside through the links already there, a hard link only to a regular file inside,
// and every file and link is made under a temporary name and renamed into place once complete,
// so a damaged member never replaces the file that was there. The bytes written by one
// extraction are bounded.

#include "member_place.h"
#include "posix_io.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class SafeExtractor {
public:
    struct Options {
        bool withPaths = false;
        bool overwrite = false;
        bool onlyNewer = false;  // only files already there, when the member is newer
        bool newerOrNew = false; // new files, and existing ones when the member is newer
        std::uint64_t maxTotalBytes = UINT64_MAX;
    };

    enum class Outcome {
        Written,
        Kept,        // a file was there and the options keep it
        Nothing,     // nothing to make (a folder without paths, an empty name, not there for onlyNewer)
        Unsafe,      // the name or link would leave the destination
        InTheWay,    // a folder stands where the file should go
        Damaged,     // the member's data could not be read: nothing replaced
        WriteFailed, // the destination could not be written
        TooLarge,    // the bound on written bytes was reached: the extraction must stop
    };

    // Reads the next piece of a member's data into buf: the number of bytes, 0 at the end,
    // negative on damaged data.
    using ReadData = std::function<std::ptrdiff_t(char* buf, std::size_t capacity)>;

    explicit SafeExtractor(Options options) : options_(options) {}
    SafeExtractor(const SafeExtractor&) = delete;
    SafeExtractor& operator=(const SafeExtractor&) = delete;

    // Makes the destination folder (and its parents) when missing and opens it.
    bool open(const std::string& destination, std::string& error);

    Outcome file(std::string_view name, std::int64_t mtime, unsigned permissions, const ReadData& read);
    Outcome folder(std::string_view name);
    Outcome symlink(std::string_view name, std::string_view target, std::int64_t mtime);
    Outcome hardlink(std::string_view name, std::string_view targetMember);

    std::uint64_t bytesWritten() const { return written_; }

    // Whether a link in folder `linkDirs` (below the destination) with `target` resolves inside
    // the destination, following the links already made there. Exposed for tests.
    bool linkStaysInside(const std::vector<std::string>& linkDirs, std::string_view target) const;

private:
    using MemberPlace = engine::MemberPlace;
    // Where member `name` goes: Written when it has a place.
    Outcome place(std::string_view name, bool isFolder, MemberPlace& p) const;
    // Opens (and makes) the member's folder: Written when `dir` holds it.
    Outcome openFolder(const MemberPlace& p, posix::Fd& dir) const;
    // Checks what is at the place: Written means "go ahead".
    Outcome mayWrite(int dir, const std::string& leaf, std::int64_t mtime) const;
    Outcome finish(int dir, const std::string& tmp, const std::string& leaf, bool ok, Outcome failure);

    Options options_;
    posix::Fd root_;
    std::uint64_t written_ = 0;
};

} // namespace korvel

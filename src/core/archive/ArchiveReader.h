#pragma once
// Reading archives other than ZIP: 7-Zip, RAR (4 and 5), LHA/LZH, CAB, ISO 9660, tar (plain or
// compressed with gzip, bzip2, xz, lzma, lzip, zstd or compress) and cpio.
//
// One small interface shared by the description lookup, the Extract dialog, the catalogue and
// korvel-cli. ZIP archives keep going to the zip engines: detect() names them so that callers can
// send them there, and the other calls refuse them (NotAnArchive).
//
// Every call takes the archive's path as bytes (as the file system holds it) and judges the
// format by the file's content, never by its name: a single compressed file (a plain .gz or .xz)
// is not an archive. Member names are the bytes the archive stores (UTF-8 for formats that store
// Unicode names). No call writes outside its destination, throws, or runs without bound:
// damaged, encrypted and multi-volume archives give a status and a message for the user.
//
// The calls are const and keep no state between them, so one reader may serve several threads.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

enum class ArchiveFormat { None, Zip, SevenZip, Rar, Rar5, Lha, Cab, Iso9660, Tar, Cpio };

// The name a user knows the format by ("7-Zip archive", "RAR archive", ...); "" for None.
std::string_view archiveFormatName(ArchiveFormat format);

struct ArchiveEntry {
    enum class Type { File, Directory, Symlink, Hardlink, Other };
    std::string name; // as stored; folders may end with "/"
    Type type = Type::File;
    std::uint64_t size = 0;   // uncompressed bytes (0 for folders and links)
    std::int64_t mtime = 0;   // seconds since 1970 (UTC); 0 when the archive holds no time
    std::string linkTarget;   // Symlink: the target as stored; Hardlink: the member it names
    unsigned permissions = 0; // the Unix permission bits the archive holds, 0 when none
    bool encrypted = false;   // its data cannot be read without a password
};

enum class ArchiveStatus {
    Ok,
    NotFound,     // no member matched (readFirstOf, or extract's selection)
    NotAnArchive, // the file holds no archive of a format read here (or is a ZIP)
    CannotOpen,   // the file could not be opened or read
    Encrypted,    // the member or the archive's headers need a password
    MultiVolume,  // one volume of an archive split into several files
    Damaged,      // truncated or corrupt; what came before the damage was delivered
    TooLarge,     // the archive unpacks to more than the bound (a decompression bomb)
    Partial,      // extract: some members were skipped (unsafe names, existing files kept ...)
    WriteFailed,  // extract: the destination could not be written
    Unavailable,  // the library that reads these formats cannot be loaded
};

struct ArchiveResult {
    ArchiveStatus status = ArchiveStatus::Ok;
    std::string message; // one line for the user; empty for Ok
    bool ok() const { return status == ArchiveStatus::Ok; }
};

// The member readFirstOf found.
struct FoundMember {
    std::size_t index = 0;  // position in the list of names asked for
    std::string name;       // the member's name as stored
    std::string bytes;      // its data, at most the bound
    bool truncated = false; // the member holds more than the bound
};

struct ExtractRequest {
    std::vector<std::string>
        names;              // members to extract (patterns as the unzip engine reads them); empty: all
    bool withPaths = false; // "extract with path"; without it every file lands in the destination itself
    bool overwrite = false; // "always overwrite files"
    bool onlyNewer = false; // "extract only newer files": only files already there, when the member is newer
    bool newerOrNew =
        false; // "extract only newer/new files": new files, and existing ones the member is newer than
    bool ignoreCase = true; // "case insensitive" matching of `names`
    // The most bytes one extraction writes; 0: a thousand times the archive's size, at least 1 GiB.
    std::uint64_t maxTotalBytes = 0;
    // Asked before each member with its name and size; false stops the extraction.
    std::function<bool(const std::string& name, std::uint64_t size)> progress;
};

struct ExtractReport {
    std::size_t written = 0;          // files, folders and links made
    std::size_t kept = 0;             // members not written because a file was there (by the boxes)
    std::vector<std::string> skipped; // one line per member refused or failed, for the user
    bool cancelled = false;
};

// Patterns are matched against whole member names: "*" any run of characters (folder separators
// included), "?" one character, "[...]" a set; ASCII case is ignored when asked.
bool memberNameMatches(std::string_view pattern, std::string_view name, bool ignoreCase);

class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;

    // The format of the archive at `path`, by content; None for anything else (a single
    // compressed file, a text, a missing file).
    virtual ArchiveFormat detect(const std::string& path) const = 0;

    // Every member in archive order; `visit` answers false to stop early.
    virtual ArchiveResult list(const std::string& path,
                               const std::function<bool(const ArchiveEntry&)>& visit) const = 0;

    // Of `names` (patterns), the first in the given order that some file member matches, with
    // up to `bound` bytes of that member's data. One pass through the archive whatever the
    // number of names. NotFound when none matches.
    virtual ArchiveResult readFirstOf(const std::string& path, const std::vector<std::string>& names,
                                      bool ignoreCase, std::size_t bound, FoundMember& found) const = 0;

    // Writes the chosen members below `destination` (made when missing). Nothing is written or
    // linked outside it: absolute names, ".." and paths through links are refused, link targets
    // are resolved against the links already there. Each file is written under a temporary name
    // and renamed over its place only once complete, so a damaged member replaces nothing.
    virtual ArchiveResult extract(const std::string& path, const std::string& destination,
                                  const ExtractRequest& request, ExtractReport& report) const = 0;
};

// The reader built on libarchive.
const ArchiveReader& archiveReader();

// Whether the file starts as a ZIP archive does (such files always go to the zip engines).
bool startsLikeZip(const std::string& path);
// Whether the file at `path` is read through `reader`: it does not start like a ZIP archive and
// the reader detects an archive of one of its formats.
bool isReaderArchive(const std::string& path, const ArchiveReader& reader = archiveReader());

} // namespace korvel

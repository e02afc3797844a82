#pragma once
// Where the catalogue gets an archive's description: the archive's path and format in, the
// member found with its raw bytes out, or why there is none. One source serves every worker of a
// catalogue run at once, so find() must be safe to call from several threads.

#include "core/description/DescriptionLookup.h"

#include <string>
#include <string_view>

namespace korvel::catalog {

enum class FindStatus {
    Found,         // `member` holds the description, `bytes` its raw bytes
    NoDescription, // the archive is fine, none of the names looked for is in it
    Unreadable,    // the file could not be opened or read
    Damaged,       // not an archive of its kind, or the description member is damaged
    Encrypted,     // the description member (or the whole archive) needs a password
    Unsupported,   // a format no reader of this program opens
};

// "found", "none", "unreadable", "damaged", "encrypted", "unsupported": the words of the JSON
// output and of the cache file.
std::string_view statusWord(FindStatus s);
bool statusFromWord(std::string_view word, FindStatus& out);

struct Finding {
    FindStatus status = FindStatus::NoDescription;
    std::string member; // Found: the member's name as the archive holds it
    std::string bytes;  // Found: its bytes, exactly as stored
    std::string reason; // every other status but NoDescription: one line saying what went wrong
};

// The finding of a lookup that found a description: the member it came from and its bytes.
Finding foundDescription(const LookupResult& found);

class DescriptionSource {
public:
    virtual ~DescriptionSource() = default;
    // The description of the archive at `path`, whose format the walker recognised (a word of
    // ArchiveFormat.h, such as "zip"). Called from several threads at once.
    virtual Finding find(const std::string& path, std::string_view format) const = 0;
    // Names the settings that decide what find() answers (the search mode, the custom names, the
    // formats read): a cache written under another signature is not used.
    virtual std::string signature() const = 0;
};

} // namespace korvel::catalog

#pragma once
// Type table of the file lists. A file's type is decided by its name alone (never by its
// contents): every entry gets the id of its key (folder, drive, or the lower-cased extension),
// and the type name and icon are looked up once per key.

#include "core/files/Entry.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvel::files {

class TypeKeys {
public:
    static constexpr std::uint32_t FolderId = 0;
    static constexpr std::uint32_t DriveId = 1;
    static constexpr std::uint32_t NoExtensionId = 2;

    TypeKeys();

    // The key of a name: "/" for folders, "//" for drives, "" for a file without extension,
    // else the lower-cased extension without its dot ("zip"; "tar.gz" for a compressed tar).
    static std::string keyFor(EntryKind kind, std::string_view name);

    std::uint32_t idFor(EntryKind kind, std::string_view name);
    const std::string& key(std::uint32_t id) const { return keys_.at(id); }
    std::size_t size() const { return keys_.size(); }

private:
    std::vector<std::string> keys_;
    std::unordered_map<std::string, std::uint32_t> ids_;
};

} // namespace korvel::files

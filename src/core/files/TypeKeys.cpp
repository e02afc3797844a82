#include "core/files/TypeKeys.h"

namespace korvel::files {

TypeKeys::TypeKeys() {
    for (const char* k : {"/", "//", ""}) {
        ids_.emplace(k, static_cast<std::uint32_t>(keys_.size()));
        keys_.emplace_back(k);
    }
}

std::string TypeKeys::keyFor(EntryKind kind, std::string_view name) {
    if (kind == EntryKind::Dir)
        return "/";
    if (kind == EntryKind::Drive)
        return "//";
    auto dot = name.rfind('.');
    // ".profile" is a hidden name, not an extension; "archive." has none either.
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return "";
    // A compressed tar archive keeps both extensions: "tar.gz" is a type of its own.
    if (const auto tar = dot >= 4 ? name.rfind('.', dot - 1) : std::string_view::npos;
        tar != std::string_view::npos && tar > 0 && dot - tar == 4) {
        std::string_view inner = name.substr(tar + 1, 3);
        if ((inner[0] | 0x20) == 't' && (inner[1] | 0x20) == 'a' && (inner[2] | 0x20) == 'r')
            dot = tar;
    }
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::uint32_t TypeKeys::idFor(EntryKind kind, std::string_view name) {
    if (kind == EntryKind::Dir)
        return FolderId;
    if (kind == EntryKind::Drive)
        return DriveId;
    std::string k = keyFor(kind, name);
    if (k.empty())
        return NoExtensionId;
    auto [it, added] = ids_.try_emplace(std::move(k), static_cast<std::uint32_t>(keys_.size()));
    if (added)
        keys_.push_back(it->first);
    return it->second;
}

} // namespace korvel::files

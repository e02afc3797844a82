#include "core/files/TypeNames.h"

namespace korvel::files {

namespace {

constexpr std::size_t MaxTypeName = 80; // characters

// Cuts UTF-8 text after `max` characters.
void truncateCharacters(std::string& s, std::size_t max) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            continue; // a continuation byte
        if (chars++ == max) {
            s.resize(i);
            return;
        }
    }
}

} // namespace

std::string TypeNames::nameForExtension(const SharedMimeInfo& mime, const std::string& key) {
    std::string n;
    const std::string type = mime.typeForFileName("x." + key);
    if (!type.empty() && type != "application/octet-stream")
        n = mime.comment(type);
    if (n.empty()) {
        n = key;
        for (char& c : n)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        n += " File";
    }
    truncateCharacters(n, MaxTypeName);
    return n;
}

std::string_view TypeNames::name(std::uint32_t id) {
    if (id >= resolved_.size()) {
        names_.resize(keys_.size());
        resolved_.resize(keys_.size(), false);
    }
    if (!resolved_[id]) {
        if (id == TypeKeys::FolderId)
            names_[id] = "File folder";
        else if (id == TypeKeys::DriveId)
            names_[id] = "Drive";
        else if (id == TypeKeys::NoExtensionId)
            names_[id] = "File";
        else
            names_[id] = nameForExtension(mime_, keys_.key(id));
        resolved_[id] = true;
    }
    return names_[id];
}

} // namespace korvel::files

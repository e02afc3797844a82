#pragma once
// The type column of the file lists: one name per type key, decided by the file NAME only
// ("File folder", "Drive", "File", the shared-mime-info description of the extension, else
// "<EXT> File"), looked up once per key. Names are UTF-8, at most 80 characters.

#include "core/files/SharedMimeInfo.h"
#include "core/files/TypeKeys.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel::files {

class TypeNames {
public:
    explicit TypeNames(const SharedMimeInfo& mime = SharedMimeInfo::system()) : mime_(mime) {}

    TypeKeys& keys() { return keys_; }
    std::string_view name(std::uint32_t id);

    // The name for one extension key (lower-case, without its dot).
    static std::string nameForExtension(const SharedMimeInfo& mime, const std::string& key);

private:
    const SharedMimeInfo& mime_;
    TypeKeys keys_;
    std::vector<std::string> names_;
    std::vector<bool> resolved_;
};

} // namespace korvel::files

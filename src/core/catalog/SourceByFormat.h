#pragma once
// One description source per archive format: the catalogue asks the one registered for the
// format the walker recognised; a format nobody reads is listed as not read.

#include "core/catalog/DescriptionSource.h"

#include <map>
#include <memory>

namespace korvel::catalog {

class SourceByFormat : public DescriptionSource {
public:
    // `source` answers for `format` (a word of ArchiveFormat.h); it must outlive this object.
    void add(const std::string& format, const DescriptionSource* source) { sources_[format] = source; }

    Finding find(const std::string& path, std::string_view format) const override;
    std::string signature() const override;

private:
    std::map<std::string, const DescriptionSource*, std::less<>> sources_;
};

} // namespace korvel::catalog

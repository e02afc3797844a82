#pragma once
// The description of an archive the archive reader opens (7-Zip, RAR, LHA, CAB, ISO 9660, tar
// plain or compressed, cpio), with the same lookup rules as the ZIP source: the same modes, names
// and custom list, answered from one pass through the archive. The reader keeps no state between
// calls, so every worker of a catalogue run may ask at once.

#include "core/archive/ArchiveReader.h"
#include "core/catalog/DescriptionSource.h"
#include "core/description/DescriptionLookup.h"

#include <array>
#include <string_view>

namespace korvel::catalog {

class ArchiveDescriptionSource : public DescriptionSource {
public:
    // `lookup` gives the mode, the custom caption and list; its archive path is not used.
    explicit ArchiveDescriptionSource(LookupRequest lookup, const ArchiveReader& reader = archiveReader());

    Finding find(const std::string& path, std::string_view format) const override;
    std::string signature() const override;

private:
    LookupRequest lookup_;
    const ArchiveReader& reader_;
};

// The format words (of ArchiveFormat.h) whose archives the archive reader opens.
inline constexpr std::array<std::string_view, 11> kReaderFormats{"7z",   "rar",  "lha",   "cab", "iso", "tar",
                                                                 "cpio", "gzip", "bzip2", "xz",  "zstd"};

} // namespace korvel::catalog

#include "core/archive/ArchiveNames.h"

#include <array>
#include <utility>

namespace korvel {

std::string_view archiveTypeName(std::string_view key) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 21> names = {{
        {"7z", "7-Zip archive"},
        {"rar", "RAR archive"},
        {"lzh", "LHA archive"},
        {"lha", "LHA archive"},
        {"cab", "Cabinet archive"},
        {"iso", "ISO 9660 image"},
        {"tar", "Tar archive"},
        {"tgz", "Tar archive (gzip-compressed)"},
        {"tar.gz", "Tar archive (gzip-compressed)"},
        {"tbz", "Tar archive (bzip2-compressed)"},
        {"tbz2", "Tar archive (bzip2-compressed)"},
        {"tar.bz2", "Tar archive (bzip2-compressed)"},
        {"txz", "Tar archive (xz-compressed)"},
        {"tar.xz", "Tar archive (xz-compressed)"},
        {"tzst", "Tar archive (zstd-compressed)"},
        {"tar.zst", "Tar archive (zstd-compressed)"},
        {"tlz", "Tar archive (lzip-compressed)"},
        {"tar.lz", "Tar archive (lzip-compressed)"},
        {"tar.lzma", "Tar archive (LZMA-compressed)"},
        {"tar.z", "Tar archive (compress-compressed)"},
        {"cpio", "CPIO archive"},
    }};
    for (const auto& [k, name] : names)
        if (k == key)
            return name;
    return {};
}

} // namespace korvel

#include "core/catalog/ArchiveFormat.h"

#include <array>
#include <cctype>

namespace korvel::catalog {
namespace {

bool startsWith(std::string_view s, std::string_view prefix, std::size_t at = 0) {
    return s.size() >= at + prefix.size() && s.substr(at, prefix.size()) == prefix;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string formatFromContent(std::string_view h) {
    using namespace std::string_view_literals;
    if (startsWith(h, "PK\x03\x04"sv) || startsWith(h, "PK\x05\x06"sv) || startsWith(h, "PK\x07\x08"sv))
        return "zip";
    if (startsWith(h, "7z\xBC\xAF\x27\x1C"sv))
        return "7z";
    if (startsWith(h, "Rar!\x1A\x07"sv))
        return "rar";
    if (startsWith(h, "MSCF\0\0\0\0"sv))
        return "cab";
    if (startsWith(h, "\x60\xEA"sv))
        return "arj";
    // LHA: a header size byte, a checksum byte, then "-lh?-" or "-lz?-".
    if (h.size() >= 7 && h[2] == '-' && h[3] == 'l' && (h[4] == 'h' || h[4] == 'z') && h[6] == '-')
        return "lha";
    if (startsWith(h, "\x1F\x8B"sv))
        return "gzip";
    if (startsWith(h, "BZh"sv))
        return "bzip2";
    if (startsWith(h, "\xFD"
                      "7zXZ\0"sv))
        return "xz";
    if (startsWith(h, "\x28\xB5\x2F\xFD"sv))
        return "zstd";
    if (startsWith(h, "070701"sv) || startsWith(h, "070702"sv) || startsWith(h, "070707"sv))
        return "cpio";
    if (startsWith(h, "ustar"sv, 257))
        return "tar";
    if (startsWith(h, "CD001"sv, 32769))
        return "iso";
    return {};
}

std::string formatFromName(std::string_view fileName) {
    const std::string name = lower(fileName);
    struct Ext {
        std::string_view suffix, format;
    };
    static constexpr std::array<Ext, 20> table{
        {{".zip", "zip"},       {".7z", "7z"},       {".rar", "rar"},   {".lha", "lha"},
         {".lzh", "lha"},       {".cab", "cab"},     {".arj", "arj"},   {".tar", "tar"},
         {".tgz", "gzip"},      {".tar.gz", "gzip"}, {".tbz", "bzip2"}, {".tbz2", "bzip2"},
         {".tar.bz2", "bzip2"}, {".txz", "xz"},      {".tar.xz", "xz"}, {".tzst", "zstd"},
         {".tar.zst", "zstd"},  {".cpio", "cpio"},   {".iso", "iso"},   {".jar", "zip"}}};
    for (const Ext& e : table) {
        if (name.size() > e.suffix.size() && name.ends_with(e.suffix))
            return std::string(e.format);
    }
    return {};
}

std::string_view formatWord(korvel::ArchiveFormat format) {
    switch (format) {
    case korvel::ArchiveFormat::Zip:
        return "zip";
    case korvel::ArchiveFormat::SevenZip:
        return "7z";
    case korvel::ArchiveFormat::Rar:
    case korvel::ArchiveFormat::Rar5:
        return "rar";
    case korvel::ArchiveFormat::Lha:
        return "lha";
    case korvel::ArchiveFormat::Cab:
        return "cab";
    case korvel::ArchiveFormat::Iso9660:
        return "iso";
    case korvel::ArchiveFormat::Tar:
        return "tar";
    case korvel::ArchiveFormat::Cpio:
        return "cpio";
    case korvel::ArchiveFormat::None:
        break;
    }
    return {};
}

} // namespace korvel::catalog

#include "core/archive/ArchiveSniff.h"

#include <cctype>
#include <cstdint>

namespace korvel {
namespace {

std::uint64_t le(std::string_view s, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

// RAR 5 variable-length integer: seven bits a byte, low first, high bit set on all but the last.
bool vint(std::string_view s, std::size_t& at, std::uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64 && at < s.size(); shift += 7) {
        const auto b = static_cast<unsigned char>(s[at++]);
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

bool rar5Volume(std::string_view s) {
    std::size_t at = 8 + 4; // signature, header CRC
    std::uint64_t size, type, flags, archiveFlags, skip;
    if (!vint(s, at, size) || !vint(s, at, type) || type != 1 || !vint(s, at, flags))
        return false;
    if ((flags & 1) && !vint(s, at, skip)) // extra area size
        return false;
    if ((flags & 2) && !vint(s, at, skip)) // data size
        return false;
    return vint(s, at, archiveFlags) && (archiveFlags & 1);
}

} // namespace

VolumeSniff sniffVolume(std::string_view s, unsigned long long fileSize) {
    static constexpr std::string_view rar4 = {"Rar!\x1a\x07\x00", 7};
    static constexpr std::string_view rar5 = {"Rar!\x1a\x07\x01\x00", 8};
    static constexpr std::string_view sevenZip = {"7z\xbc\xaf\x27\x1c", 6};
    if (s.substr(0, rar5.size()) == rar5)
        return rar5Volume(s) ? VolumeSniff::RarVolume : VolumeSniff::Whole;
    if (s.substr(0, rar4.size()) == rar4 && s.size() >= 7 + 5) {
        // Main header: CRC (2), type 0x73 (1), flags (2) with 0x0001 marking a volume.
        if (static_cast<unsigned char>(s[9]) == 0x73 && (le(s, 10, 2) & 1))
            return VolumeSniff::RarVolume;
        return VolumeSniff::Whole;
    }
    if (s.substr(0, sevenZip.size()) == sevenZip && s.size() >= 32) {
        const std::uint64_t offset = le(s, 12, 8), size = le(s, 20, 8);
        if (offset > fileSize || size > fileSize || 32 + offset + size > fileSize)
            return VolumeSniff::SevenZipCut;
    }
    return VolumeSniff::Whole;
}

bool looksLikeVolumeName(std::string_view n) {
    auto lower = [](std::string_view s) {
        std::string out(s);
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string name = lower(n);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string ext = name.substr(dot + 1);
    auto digits = [](std::string_view s) {
        if (s.empty())
            return false;
        for (char c : s)
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
        return true;
    };
    if (ext.size() == 3 && digits(ext))
        return true; // .001
    if (ext.size() == 3 && (ext[0] == 'r' || ext[0] == 'z') && digits(ext.substr(1)))
        return true; // .r00, .z01
    if (ext == "rar") {
        const auto part = name.rfind(".part", dot);
        return part != std::string::npos && digits(name.substr(part + 5, dot - part - 5));
    }
    return false;
}

} // namespace korvel

#pragma once
// The machine's "drives" without Qt: the mounted volumes holding real file systems (local
// disks, removable media, network shares) read from /proc/self/mountinfo, with their roots,
// display names, type texts and sizes. Roots and names are the file system's bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::files {

struct MountedVolume {
    std::string root;        // mount point without trailing "/" ("/" for the root file system)
    std::string displayName; // "<label or folder name> (<root>)", "File System (/)"
    std::string typeText;    // "Fixed", "Removable", "Remote", "CDROM", "RAMDisk"
    std::uint64_t total = 0; // bytes; 0 when the volume is not ready
    std::uint64_t free = 0;  // bytes available to the user
};

// One line of /proc/self/mountinfo as far as the list needs it.
struct MountLine {
    std::string root, fileSystem, device;
};
// Parses the text of a mountinfo file (octal escapes such as "\040" decoded).
std::vector<MountLine> parseMountInfo(std::string_view text);

// Whether a mount is a drive a user walks; its mount point must be a folder (a file mounted over
// a file is none). With askShares false a network share is taken at the table's word: a share
// whose server is gone can hold up any question about it.
bool isRealVolume(const MountLine& m, bool askShares = true);
// "CDROM", "Remote", "RAMDisk", "Removable" or "Fixed".
std::string volumeTypeText(const MountLine& m);

// The system's mount table, /proc/self/mountinfo; empty when it cannot be read.
inline constexpr const char* SystemMountTable = "/proc/self/mountinfo";
std::string readMountTable(const std::string& path = SystemMountTable);

// The volumes a mount table lists, without their sizes: "/" first (always there), then by root;
// each root once.
std::vector<MountedVolume> volumesInMountInfo(std::string_view text, bool askShares);
// Fills in total and free; they stay 0 for a volume that does not answer.
void askSizes(MountedVolume& v);

// The system's volumes with their sizes.
std::vector<MountedVolume> mountedVolumes();

} // namespace korvel::files

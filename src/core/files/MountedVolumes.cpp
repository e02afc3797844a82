#include "core/files/MountedVolumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace korvel::files {

namespace {

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool isNetworkFs(std::string_view fs) {
    for (std::string_view n : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "afs", "ncpfs"})
        if (fs == n)
            return true;
    return false;
}

// Kernel and service mounts are not drives a user walks.
bool isSystemMount(std::string_view root) {
    for (std::string_view prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"}) {
        if (root == prefix ||
            (startsWith(root, prefix) && root.size() > prefix.size() && root[prefix.size()] == '/'))
            return !startsWith(root, "/run/media/");
    }
    return false;
}

std::string unescapeOctal(std::string_view s) {
    const auto oct = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && oct(s[i + 1]) && oct(s[i + 2]) && oct(s[i + 3])) {
            out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += s[i];
    }
    return out;
}

// "\x20" in the names udev gives labels stands for the byte 0x20.
std::string unescapeHex(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            const std::string hex(s.substr(i + 2, 2));
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end && *end == '\0' && hex.size() == 2) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string realPath(const std::string& p) {
    char buf[PATH_MAX];
    return ::realpath(p.c_str(), buf) ? std::string(buf) : std::string();
}

// The labels udev lists (/dev/disk/by-label), by the device they stand for; read once per list
// and only when a volume on a device asks.
class DeviceLabels {
public:
    std::string of(const std::string& device) {
        if (!startsWith(device, "/dev/"))
            return {};
        if (!read_) {
            read_ = true;
            if (DIR* d = ::opendir("/dev/disk/by-label")) {
                while (dirent* e = ::readdir(d)) {
                    if (e->d_name[0] == '.')
                        continue;
                    const std::string target = realPath(std::string("/dev/disk/by-label/") + e->d_name);
                    if (!target.empty())
                        labels_.emplace(target, unescapeHex(e->d_name));
                }
                ::closedir(d);
            }
        }
        const auto it = labels_.find(realPath(device));
        return it == labels_.end() ? std::string() : it->second;
    }

private:
    bool read_ = false;
    std::map<std::string, std::string> labels_;
};

std::string lastComponent(const std::string& root) {
    const auto slash = root.rfind('/');
    return slash == std::string::npos ? root : root.substr(slash + 1);
}

bool isDir(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

MountedVolume volumeOf(const MountLine& m, DeviceLabels& labels) {
    MountedVolume v;
    v.root = m.root;
    std::string label = labels.of(m.device);
    if (label.empty())
        label = m.root == "/" ? "File System" : lastComponent(m.root);
    v.displayName = label + " (" + m.root + ")";
    v.typeText = volumeTypeText(m);
    return v;
}

} // namespace

std::vector<MountLine> parseMountInfo(std::string_view text) {
    std::vector<MountLine> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = text.size();
        const std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        std::vector<std::string_view> f;
        std::size_t a = 0;
        while (a < line.size()) {
            auto b = line.find(' ', a);
            if (b == std::string_view::npos)
                b = line.size();
            f.push_back(line.substr(a, b - a));
            a = b + 1;
        }
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 5 || dash == f.end() || f.end() - dash < 3)
            continue;
        MountLine m;
        m.root = unescapeOctal(f[4]);
        m.fileSystem = unescapeOctal(*(dash + 1));
        m.device = unescapeOctal(*(dash + 2));
        out.push_back(std::move(m));
    }
    return out;
}

bool isRealVolume(const MountLine& m, bool askShares) {
    if (m.root == "/")
        return true;
    if (m.root.empty() || isSystemMount(m.root))
        return false;
    const std::string& fs = m.fileSystem;
    if (fs == "squashfs" || fs == "overlay" || fs == "autofs")
        return false;
    if (isNetworkFs(fs))
        return !askShares || isDir(m.root);
    if (!isDir(m.root))
        return false;
    if ((fs == "tmpfs" || fs == "ramfs") && m.root == "/tmp")
        return true;
    return startsWith(m.device, "/dev/") && !startsWith(m.device, "/dev/loop");
}

std::string volumeTypeText(const MountLine& m) {
    const std::string& dev = m.device;
    const std::string& fs = m.fileSystem;
    if (startsWith(dev, "/dev/sr") || fs == "iso9660" || fs == "udf")
        return "CDROM";
    if (isNetworkFs(fs))
        return "Remote";
    if (fs == "tmpfs" || fs == "ramfs")
        return "RAMDisk";
    if (startsWith(m.root, "/media/") || startsWith(m.root, "/run/media/"))
        return "Removable";
    if (startsWith(dev, "/dev/")) {
        // A partition's removable flag lies with its disk (sdb1 -> sdb).
        for (std::string b = lastComponent(dev); !b.empty(); b.pop_back()) {
            std::ifstream f("/sys/block/" + b + "/removable");
            if (f) {
                std::string v;
                f >> v;
                return v == "1" ? "Removable" : "Fixed";
            }
        }
    }
    return "Fixed";
}

std::string readMountTable(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<MountedVolume> volumesInMountInfo(std::string_view text, bool askShares) {
    std::vector<MountedVolume> out;
    std::set<std::string> seen;
    DeviceLabels labels;
    for (const MountLine& m : parseMountInfo(text)) {
        if (seen.count(m.root) || !isRealVolume(m, askShares))
            continue;
        seen.insert(m.root);
        out.push_back(volumeOf(m, labels));
    }
    if (!seen.count("/"))
        out.push_back(volumeOf({"/", "", ""}, labels));
    std::sort(out.begin(), out.end(), [](const MountedVolume& a, const MountedVolume& b) {
        if ((a.root == "/") != (b.root == "/"))
            return a.root == "/";
        return a.root < b.root;
    });
    return out;
}

void askSizes(MountedVolume& v) {
    struct statvfs s;
    if (::statvfs(v.root.c_str(), &s) == 0) {
        v.total = static_cast<std::uint64_t>(s.f_blocks) * s.f_frsize;
        v.free = static_cast<std::uint64_t>(s.f_bavail) * s.f_frsize;
    }
}

std::vector<MountedVolume> mountedVolumes() {
    std::vector<MountedVolume> out = volumesInMountInfo(readMountTable(), true);
    for (MountedVolume& v : out)
        askSizes(v);
    return out;
}

} // namespace korvel::files

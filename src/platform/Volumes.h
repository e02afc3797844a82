#pragma once
// The machine's "drives": the mounted volumes holding real file systems (local disks, removable
// media, network shares), with their roots, display names, type texts and sizes. The list is
// looked up once and again only when the mount table changes; only the drive listing asks each
// volume for its sizes.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace korvel {

struct Volume {
    QString root;        // mount point without trailing "/" ("/" for the root file system)
    QString displayName; // the caption of its row in a drive listing
    QString typeText;    // "Fixed", "Removable", "Remote", "CDROM", "RAMDisk"
    quint64 total = 0;   // bytes; 0 when the volume is not ready
    quint64 free = 0;    // bytes available to the user
};

class Volumes {
public:
    // The volumes, "/" first, then by root.
    static QList<Volume> mounted();
    static QStringList roots();
    static std::vector<std::string> rootsLocal8();
    // The root of the volume holding path; empty for the drives pseudo-folder.
    static QString drivePart(const QString& path);
    // How often the volumes were looked up (once, and again after each change of the mounts).
    static int lookups();
    // The mount table read (tests give their own; the system's is /proc/self/mountinfo).
    static void setMountTable(const QString& path);
    // Tests give a fixed set of volumes; nullopt goes back to the real ones.
    static void setOverride(std::optional<QList<Volume>> volumes);
};

} // namespace korvel

#include "platform/Volumes.h"

#include "core/files/DirectoryRules.h"
#include "platform/PathText.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace korvel {
namespace {

std::optional<QList<Volume>>& overrideVolumes() {
    static std::optional<QList<Volume>> v;
    return v;
}

bool isNetworkFs(const QByteArray& fs) {
    static const QSet<QByteArray> net{"nfs",        "nfs4", "cifs", "smb3", "smbfs",
                                      "fuse.sshfs", "9p",   "afs",  "ncpfs"};
    return net.contains(fs);
}

// Kernel and service mounts are not drives a user walks.
bool isSystemMount(const QString& root) {
    for (const char* p : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker"}) {
        QString prefix = QString::fromLatin1(p);
        if (root == prefix || root.startsWith(prefix + '/'))
            return !root.startsWith(QStringLiteral("/run/media/"));
    }
    return false;
}

// One line of the mount table.
struct Mount {
    QByteArray root; // mount point, unescaped bytes
    QByteArray device, fsType;
};

// "\040" and the like: the kernel escapes blanks, tabs, newlines and backslashes in the table.
QByteArray unescapeMountField(const QByteArray& f) {
    QByteArray out;
    out.reserve(f.size());
    for (qsizetype i = 0; i < f.size(); ++i) {
        if (f[i] == '\\' && i + 3 < f.size()) {
            const QByteArray oct = f.mid(i + 1, 3);
            bool ok = oct.size() == 3;
            for (char c : oct)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out += static_cast<char>(oct.toInt(nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += f[i];
    }
    return out;
}

// /proc/self/mountinfo: "id parent major:minor root mountpoint options [optional...] - fstype
// source superoptions".
QList<Mount> parseMountTable(const QByteArray& table) {
    QList<Mount> mounts;
    for (const QByteArray& line : table.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf("-");
        if (f.size() < 5 || dash < 6 || dash + 2 >= f.size())
            continue;
        mounts.push_back({unescapeMountField(f[4]), unescapeMountField(f[dash + 2]), f[dash + 1]});
    }
    return mounts;
}

bool isRealVolume(const Mount& m, const QString& root) {
    if (root == QLatin1String("/"))
        return true;
    if (isSystemMount(root))
        return false;
    const QByteArray& fs = m.fsType;
    if (fs == "squashfs" || fs == "overlay" || fs == "autofs")
        return false;
    if (isNetworkFs(fs))
        return true;
    if ((fs == "tmpfs" || fs == "ramfs") && root == QLatin1String("/tmp"))
        return true;
    return m.device.startsWith("/dev/") && !m.device.startsWith("/dev/loop");
}

QString typeTextOf(const Mount& m, const QString& root) {
    const QByteArray &dev = m.device, &fs = m.fsType;
    if (dev.startsWith("/dev/sr") || fs == "iso9660" || fs == "udf")
        return QStringLiteral("CDROM");
    if (isNetworkFs(fs))
        return QStringLiteral("Remote");
    if (fs == "tmpfs" || fs == "ramfs")
        return QStringLiteral("RAMDisk");
    if (root.startsWith(QStringLiteral("/media/")) || root.startsWith(QStringLiteral("/run/media/")))
        return QStringLiteral("Removable");
    if (dev.startsWith("/dev/")) {
        QString base = QString::fromLocal8Bit(dev.mid(dev.lastIndexOf('/') + 1));
        // A partition's removable flag lies with its disk (sdb1 -> sdb).
        for (QString b = base; !b.isEmpty(); b.chop(1)) {
            QFile f(QStringLiteral("/sys/block/%1/removable").arg(b));
            if (f.open(QIODevice::ReadOnly))
                return f.readAll().trimmed() == "1" ? QStringLiteral("Removable") : QStringLiteral("Fixed");
        }
    }
    return QStringLiteral("Fixed");
}

// The labels of the block devices (/dev/disk/by-label), by the device they stand for.
QHash<QString, QString> deviceLabels() {
    QHash<QString, QString> labels;
    QDirIterator it(QStringLiteral("/dev/disk/by-label"), QDir::System | QDir::Files);
    while (it.hasNext()) {
        it.next();
        const QString target = QFileInfo(it.filePath()).canonicalFilePath();
        QString name = it.fileName();
        name.replace(QStringLiteral("\\x20"), QStringLiteral(" "));
        labels.insert(target, name);
    }
    return labels;
}

QString displayNameOf(const QString& root, const QString& label) {
    QString name = label;
    if (name.isEmpty())
        name =
            root == QLatin1String("/") ? QStringLiteral("File System") : root.mid(root.lastIndexOf('/') + 1);
    return QStringLiteral("%1 (%2)").arg(name, root);
}

QString& mountTablePath() {
    static QString path = QStringLiteral("/proc/self/mountinfo");
    return path;
}

// The volumes without their sizes, looked up again only when the mount table changed. Reading
// the table is cheap (no file system is asked anything); the sizes are asked only by the drive
// listing, so a stale network mount cannot hold up a click in a folder.
struct VolumeCache {
    QByteArray table;
    bool filled = false;
    QList<Volume> volumes;
    int lookups = 0;
};

VolumeCache& cache() {
    static VolumeCache c;
    return c;
}

const QList<Volume>& knownVolumes() {
    VolumeCache& c = cache();
    QFile f(mountTablePath());
    QByteArray table;
    if (f.open(QIODevice::ReadOnly))
        table = f.readAll();
    if (c.filled && table == c.table)
        return c.volumes;
    c.table = table;
    c.filled = true;
    ++c.lookups;
    c.volumes.clear();
    QSet<QString> seen;
    QHash<QString, QString> labels;
    bool labelsRead = false;
    for (const Mount& m : parseMountTable(table)) {
        const QString root = pathText(m.root.toStdString());
        if (!isRealVolume(m, root) || seen.contains(root))
            continue;
        // A file mounted over a file is no drive (containers do that); local file systems only
        // are asked, a network share may not answer.
        struct stat st {};
        if (root != QLatin1String("/") && !isNetworkFs(m.fsType) &&
            (::stat(m.root.constData(), &st) != 0 || !S_ISDIR(st.st_mode)))
            continue;
        seen.insert(root);
        if (!labelsRead && m.device.startsWith("/dev/")) {
            labels = deviceLabels();
            labelsRead = true;
        }
        const QString device = QString::fromLocal8Bit(m.device);
        Volume v;
        v.root = root;
        v.displayName = displayNameOf(root, labels.value(device));
        v.typeText = typeTextOf(m, root);
        c.volumes.push_back(v);
    }
    if (!seen.contains(QStringLiteral("/")))
        c.volumes.push_back(
            {QStringLiteral("/"), displayNameOf(QStringLiteral("/"), {}), QStringLiteral("Fixed"), 0, 0});
    std::sort(c.volumes.begin(), c.volumes.end(), [](const Volume& a, const Volume& b) {
        if ((a.root == QLatin1String("/")) != (b.root == QLatin1String("/")))
            return a.root == QLatin1String("/");
        return pathBytes(a.root) < pathBytes(b.root);
    });
    return c.volumes;
}

} // namespace

QList<Volume> Volumes::mounted() {
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> out = knownVolumes();
    for (Volume& v : out) {
        struct statvfs st {};
        if (::statvfs(pathBytes(v.root).c_str(), &st) == 0) {
            v.total = static_cast<quint64>(st.f_blocks) * st.f_frsize;
            v.free = static_cast<quint64>(st.f_bavail) * st.f_frsize;
        }
    }
    return out;
}

QStringList Volumes::roots() {
    QStringList r;
    const QList<Volume> vs = overrideVolumes() ? *overrideVolumes() : knownVolumes();
    for (const auto& v : vs)
        r << v.root;
    return r;
}

std::vector<std::string> Volumes::rootsLocal8() {
    std::vector<std::string> r;
    for (const QString& root : roots())
        r.push_back(pathBytes(root));
    return r;
}

QString Volumes::drivePart(const QString& path) {
    return pathText(files::drivePart(pathBytes(path), rootsLocal8()));
}

int Volumes::lookups() {
    return cache().lookups;
}

void Volumes::setMountTable(const QString& path) {
    mountTablePath() = path;
}

void Volumes::setOverride(std::optional<QList<Volume>> volumes) {
    overrideVolumes() = std::move(volumes);
}

} // namespace korvel

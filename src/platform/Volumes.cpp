#include "platform/Volumes.h"

#include "core/files/DirectoryRules.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

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

QString typeTextOf(const QStorageInfo& s) {
    const QByteArray dev = s.device(), fs = s.fileSystemType();
    if (dev.startsWith("/dev/sr") || fs == "iso9660" || fs == "udf")
        return QStringLiteral("CDROM");
    if (isNetworkFs(fs))
        return QStringLiteral("Remote");
    if (fs == "tmpfs" || fs == "ramfs")
        return QStringLiteral("RAMDisk");
    const QString root = s.rootPath();
    if (root.startsWith(QStringLiteral("/media/")) || root.startsWith(QStringLiteral("/run/media/")))
        return QStringLiteral("Removable");
    if (dev.startsWith("/dev/")) {
        QString base = QFileInfo(QFile::decodeName(dev)).fileName();
        // A partition's removable flag lies with its disk (sdb1 -> sdb).
        for (QString b = base; !b.isEmpty(); b.chop(1)) {
            QFile f(QStringLiteral("/sys/block/%1/removable").arg(b));
            if (f.open(QIODevice::ReadOnly))
                return f.readAll().trimmed() == "1" ? QStringLiteral("Removable") : QStringLiteral("Fixed");
        }
    }
    return QStringLiteral("Fixed");
}

bool isRealVolume(const QStorageInfo& s) {
    const QString root = s.rootPath();
    if (root == QLatin1String("/"))
        return true;
    if (!s.isValid() || isSystemMount(root) || !QFileInfo(root).isDir())
        return false;
    const QByteArray fs = s.fileSystemType();
    if (fs == "squashfs" || fs == "overlay" || fs == "autofs")
        return false;
    if (isNetworkFs(fs))
        return true;
    if ((fs == "tmpfs" || fs == "ramfs") && root == QLatin1String("/tmp"))
        return true;
    return s.device().startsWith("/dev/") && !s.device().startsWith("/dev/loop");
}

QString displayNameOf(const QStorageInfo& s) {
    const QString root = s.rootPath();
    QString label = s.name();
    if (label.isEmpty())
        label = root == QLatin1String("/") ? QStringLiteral("File System") : QFileInfo(root).fileName();
    return QStringLiteral("%1 (%2)").arg(label, root);
}

} // namespace

QList<Volume> Volumes::mounted() {
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> out;
    QSet<QString> seen;
    const auto all = QStorageInfo::mountedVolumes();
    bool haveRoot = false;
    for (const QStorageInfo& s : all) {
        if (!isRealVolume(s) || seen.contains(s.rootPath()))
            continue;
        seen.insert(s.rootPath());
        Volume v;
        v.root = s.rootPath();
        v.displayName = displayNameOf(s);
        v.typeText = typeTextOf(s);
        if (s.isReady()) {
            v.total = static_cast<quint64>(std::max<qint64>(0, s.bytesTotal()));
            v.free = static_cast<quint64>(std::max<qint64>(0, s.bytesAvailable()));
        }
        haveRoot = haveRoot || v.root == QLatin1String("/");
        out.push_back(v);
    }
    if (!haveRoot) {
        QStorageInfo s(QStringLiteral("/"));
        out.push_back({QStringLiteral("/"), displayNameOf(s), typeTextOf(s),
                       static_cast<quint64>(std::max<qint64>(0, s.bytesTotal())),
                       static_cast<quint64>(std::max<qint64>(0, s.bytesAvailable()))});
    }
    std::sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) {
        if ((a.root == QLatin1String("/")) != (b.root == QLatin1String("/")))
            return a.root == QLatin1String("/");
        return a.root < b.root;
    });
    return out;
}

QStringList Volumes::roots() {
    QStringList r;
    for (const auto& v : mounted())
        r << v.root;
    return r;
}

std::vector<std::string> Volumes::rootsLocal8() {
    std::vector<std::string> r;
    for (const auto& v : mounted())
        r.push_back(QFile::encodeName(v.root).toStdString());
    return r;
}

QString Volumes::drivePart(const QString& path) {
    return QFile::decodeName(
        QByteArray::fromStdString(files::drivePart(QFile::encodeName(path).toStdString(), rootsLocal8())));
}

void Volumes::setOverride(std::optional<QList<Volume>> volumes) {
    overrideVolumes() = std::move(volumes);
}

} // namespace korvel

#include "platform/Volumes.h"

#include "core/files/DirectoryRules.h"
#include "core/files/MountedVolumes.h"
#include "platform/PathText.h"

namespace korvel {
namespace {

std::optional<QList<Volume>>& overrideVolumes() {
    static std::optional<QList<Volume>> v;
    return v;
}

std::string& mountTablePath() {
    static std::string path = files::SystemMountTable;
    return path;
}

// The volumes without their sizes, looked up again only when the mount table changed. Reading
// the table is cheap and network shares are taken at its word (no file system is asked
// anything); the sizes are asked only by the drive listing, so a stale network mount cannot
// hold up a click in a folder.
struct VolumeCache {
    std::string table;
    bool filled = false;
    std::vector<files::MountedVolume> volumes;
    int lookups = 0;
};

VolumeCache& cache() {
    static VolumeCache c;
    return c;
}

const std::vector<files::MountedVolume>& knownVolumes() {
    VolumeCache& c = cache();
    std::string table = files::readMountTable(mountTablePath());
    if (c.filled && table == c.table)
        return c.volumes;
    c.volumes = files::volumesInMountInfo(table, false);
    c.table = std::move(table);
    c.filled = true;
    ++c.lookups;
    return c.volumes;
}

Volume volumeOf(const files::MountedVolume& v) {
    return {pathText(v.root), pathText(v.displayName), QString::fromLatin1(v.typeText),
            static_cast<quint64>(v.total), static_cast<quint64>(v.free)};
}

} // namespace

QList<Volume> Volumes::mounted() {
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> out;
    for (files::MountedVolume v : knownVolumes()) {
        files::askSizes(v);
        out.push_back(volumeOf(v));
    }
    return out;
}

QStringList Volumes::roots() {
    QStringList r;
    if (overrideVolumes()) {
        for (const Volume& v : *overrideVolumes())
            r << v.root;
    } else {
        for (const files::MountedVolume& v : knownVolumes())
            r << pathText(v.root);
    }
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
    mountTablePath() = pathBytes(path);
}

void Volumes::setOverride(std::optional<QList<Volume>> volumes) {
    overrideVolumes() = std::move(volumes);
}

} // namespace korvel

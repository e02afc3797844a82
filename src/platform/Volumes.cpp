#include "platform/Volumes.h"

#include "core/files/DirectoryRules.h"
#include "core/files/MountedVolumes.h"

#include <QFile>

namespace korvel {
namespace {

std::optional<QList<Volume>>& overrideVolumes() {
    static std::optional<QList<Volume>> v;
    return v;
}

} // namespace

QList<Volume> Volumes::mounted() {
    if (overrideVolumes())
        return *overrideVolumes();
    QList<Volume> out;
    for (const files::MountedVolume& v : files::mountedVolumes())
        out.push_back({QFile::decodeName(QByteArray::fromStdString(v.root)),
                       QFile::decodeName(QByteArray::fromStdString(v.displayName)),
                       QString::fromStdString(v.typeText), v.total, v.free});
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

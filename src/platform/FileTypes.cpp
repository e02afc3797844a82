#include "platform/FileTypes.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace korvel {
namespace {

QFileIconProvider& iconProvider() {
    static QFileIconProvider p;
    return p;
}

QMimeType mimeOfKey(const std::string& key) {
    static QMimeDatabase db;
    return db.mimeTypeForFile(QStringLiteral("x.") + QString::fromStdString(key),
                              QMimeDatabase::MatchExtension);
}

} // namespace

FileTypes& FileTypes::instance() {
    static FileTypes t;
    return t;
}

const QString& FileTypes::name(std::uint32_t id) {
    if (id >= resolved_.size()) {
        texts_.resize(names_.keys().size());
        resolved_.resize(names_.keys().size(), false);
    }
    if (!resolved_[id]) {
        const std::string_view n = names_.name(id);
        texts_[id] = QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
        resolved_[id] = true;
    }
    return texts_[id];
}

std::string_view FileTypes::nameUtf8(std::uint32_t id) {
    return names_.name(id);
}

QIcon FileTypes::icon(std::uint32_t id) {
    if (id >= iconResolved_.size()) {
        icons_.resize(names_.keys().size());
        iconResolved_.resize(names_.keys().size(), false);
    }
    if (!iconResolved_[id]) {
        QIcon i;
        if (id == files::TypeKeys::FolderId) {
            i = iconProvider().icon(QFileIconProvider::Folder);
        } else if (id == files::TypeKeys::DriveId) {
            i = iconProvider().icon(QFileIconProvider::Drive);
        } else {
            const QIcon fallback = iconProvider().icon(QFileIconProvider::File);
            if (id != files::TypeKeys::NoExtensionId) {
                QMimeType mt = mimeOfKey(names_.keys().key(id));
                i = QIcon::fromTheme(mt.iconName(), QIcon::fromTheme(mt.genericIconName(), fallback));
            } else {
                i = fallback;
            }
        }
        icons_[id] = i;
        iconResolved_[id] = true;
    }
    return icons_[id];
}

} // namespace korvel

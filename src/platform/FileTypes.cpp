#include "platform/FileTypes.h"

#include "core/archive/ArchiveNames.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace korvel {
namespace {

constexpr int MaxTypeName = 80;

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

void FileTypes::resolve(std::uint32_t id) {
    if (id >= resolved_.size()) {
        names_.resize(keys_.size());
        utf8_.resize(keys_.size());
        resolved_.resize(keys_.size(), false);
    }
    if (resolved_[id])
        return;
    QString n;
    if (id == files::TypeKeys::FolderId) {
        n = QStringLiteral("File folder");
    } else if (id == files::TypeKeys::DriveId) {
        n = QStringLiteral("Drive");
    } else if (id == files::TypeKeys::NoExtensionId) {
        n = QStringLiteral("File");
    } else {
        const std::string& key = keys_.key(id);
        if (const std::string_view archive = archiveTypeName(key); !archive.empty()) {
            n = QString::fromUtf8(archive.data(), static_cast<qsizetype>(archive.size()));
        } else if (QMimeType mt = mimeOfKey(key); mt.isValid() && !mt.isDefault()) {
            n = mt.comment();
        }
        if (n.isEmpty())
            n = QString::fromStdString(key).toUpper() + QStringLiteral(" File");
        n.truncate(MaxTypeName);
    }
    names_[id] = n;
    utf8_[id] = n.toStdString();
    resolved_[id] = true;
}

const QString& FileTypes::name(std::uint32_t id) {
    resolve(id);
    return names_[id];
}

std::string_view FileTypes::nameUtf8(std::uint32_t id) {
    resolve(id);
    return utf8_[id];
}

QIcon FileTypes::icon(std::uint32_t id) {
    if (id >= iconResolved_.size()) {
        icons_.resize(keys_.size());
        iconResolved_.resize(keys_.size(), false);
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
                QMimeType mt = mimeOfKey(keys_.key(id));
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

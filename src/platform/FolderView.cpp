#include "platform/FolderView.h"

#include "core/files/DirectoryRules.h"
#include "core/files/EntryText.h"
#include "core/files/FolderLister.h"
#include "platform/FileTypes.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"

namespace korvel {

std::vector<files::Entry> FolderView::driveRows() {
    std::vector<files::Entry> rows;
    for (const Volume& v : Volumes::mounted()) {
        files::Entry e;
        e.kind = files::EntryKind::Drive;
        e.typeId = files::TypeKeys::DriveId;
        e.name = v.displayName.toStdString();
        e.root = pathBytes(v.root);
        if (e.root.empty() || e.root.back() != '/')
            e.root += '/';
        e.driveType = v.typeText.toStdString();
        e.size = v.total;
        e.free = v.free;
        rows.push_back(std::move(e));
    }
    return rows;
}

FolderRows FolderView::list(const QString& directory, const QString& mask, unsigned fileType) {
    FolderRows r;
    const std::string dir = pathBytes(directory);
    if (files::isDrivesName(dir)) {
        r.drives = true;
        r.rows = driveRows();
        return r;
    }
    r.folder = dir;
    if (r.folder.empty() || r.folder.back() != '/')
        r.folder += '/';
    r.rows = files::listFolder(r.folder, pathBytes(mask), fileType, &FileTypes::instance().keys());
    return r;
}

void FolderView::sort(FolderRows& r, const files::SortState& s) {
    files::sortEntries(r.rows, s, r.drives,
                       [](std::uint32_t id) { return FileTypes::instance().nameUtf8(id); });
}

FolderRows FolderView::listSorted(const QString& directory, const QString& mask, unsigned fileType) {
    FolderRows r = list(directory, mask, fileType);
    files::SortState s;
    s.reverse = true;
    s.columnClick(0);
    sort(r, s);
    return r;
}

QString FolderView::columnText(const files::Entry& e, int column, bool drives) {
    if (drives) {
        switch (column) {
        case 0:
            return QString::fromStdString(e.name);
        case 1:
            return QString::fromStdString(e.driveType);
        case 2:
            return QString::fromStdString(files::kbText(e.size));
        case 3:
            return QString::fromStdString(files::kbText(e.free));
        default:
            return {};
        }
    }
    switch (column) {
    case 0:
        return pathText(e.name);
    case 1:
        return QString::fromStdString(files::sizeColumnText(e));
    case 2:
        return FileTypes::instance().name(e.typeId);
    case 3:
        return QString::fromStdString(files::modifiedText(e.mtime, e.mtimeValid));
    case 4:
        return QString::fromStdString(files::attributeText(e.attrs));
    default:
        return {};
    }
}

QStringList FolderView::rowTexts(const files::Entry& e, bool drives) {
    QStringList t;
    for (int c = 0; c < ColumnCount; ++c)
        t << columnText(e, c, drives);
    return t;
}

QString FolderView::fullPath(const FolderRows& r, const files::Entry& e) {
    if (e.kind == files::EntryKind::Drive)
        return pathText(e.root);
    return pathText(files::joinPath(r.folder, e.name));
}

QString FolderView::caption(int column, bool drives) {
    static const char* const folderCaps[] = {"Name", "Size", "Type", "Modified", "Attributes"};
    static const char* const driveCaps[] = {"Name", "Type", "Disk Size", "Free Space", "Attributes"};
    if (column < 0 || column >= ColumnCount)
        return {};
    return QString::fromLatin1(drives ? driveCaps[column] : folderCaps[column]);
}

int FolderView::columnWidth(int column, bool drives) {
    static const int folderWidths[] = {140, 70, 70, 110, 60};
    static const int driveWidths[] = {140, 80, 110, 110, 60};
    if (column < 0 || column >= ColumnCount)
        return 0;
    return drives ? driveWidths[column] : folderWidths[column];
}

bool FolderView::rightAligned(int column, bool drives) {
    return drives ? (column == 2 || column == 3) : column == 1;
}

} // namespace korvel

#include "platform/FolderView.h"

#include "core/files/DirectoryRules.h"
#include "core/files/EntryText.h"
#include "core/files/FolderColumns.h"
#include "core/files/FolderLister.h"
#include "platform/FileTypes.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"

namespace korvel {

std::vector<files::Entry> FolderView::driveRows() {
    std::vector<files::MountedVolume> volumes;
    for (const Volume& v : Volumes::mounted())
        volumes.push_back({pathBytes(v.root), v.displayName.toStdString(),
                           v.typeText.toStdString(), v.total, v.free});
    return files::driveEntries(volumes);
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
    const std::string text = files::columnText(e, column, drives, FileTypes::instance().typeNames());
    if (column == 0 && !drives)
        return pathText(text); // the name's own bytes
    return QString::fromStdString(text);
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

#pragma once
// What a file list shows for a Directory, Mask and FileType: the rows in the order of the view,
// and the texts of their five columns. Shared by the file list view and korvel-cli.

#include "core/files/Entry.h"
#include "core/files/EntrySort.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace korvel {

struct FolderRows {
    bool drives = false; // a drive listing
    std::string folder;  // the listed folder (local 8-bit), ending in "/"
    std::vector<files::Entry> rows;
};

class FolderView {
public:
    static constexpr int ColumnCount = 5;

    // Lists without sorting: the drives for any capitalisation of "drives", else the folder.
    static FolderRows list(const QString& directory, const QString& mask, unsigned fileType);
    static std::vector<files::Entry> driveRows();
    static void sort(FolderRows& r, const files::SortState& s);
    // The order of a fresh listing: folders first, names ascending.
    static FolderRows listSorted(const QString& directory, const QString& mask, unsigned fileType);

    static QString columnText(const files::Entry& e, int column, bool drives);
    static QStringList rowTexts(const files::Entry& e, bool drives);
    static QString fullPath(const FolderRows& r, const files::Entry& e);
    static QString caption(int column, bool drives);
    static int columnWidth(int column, bool drives);
    static bool rightAligned(int column, bool drives);
};

} // namespace korvel

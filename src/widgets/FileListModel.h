#pragma once
// The rows of a file list view: one compact entry per row, texts made when a row is drawn, icons
// shared per file type. Sorting keeps the selection.

#include "core/files/EntrySort.h"
#include "platform/FolderView.h"

#include <QAbstractTableModel>
#include <QSize>

#include <functional>

namespace korvel {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Replaces every row (the rows are sorted by the caller's rule first).
    void setRows(FolderRows rows);
    void sortRows(const files::SortState& s);

    bool isDriveListing() const { return rows_.drives; }
    const files::Entry& entry(int row) const { return rows_.rows[static_cast<std::size_t>(row)]; }
    QString path(int row) const;
    const FolderRows& rows() const { return rows_; }

    bool dragEnabled = false;
    // The size of every item in the icon and list styles; invalid in the details style.
    QSize itemSize;
    // Makes the drag data of the given rows (set by the view that owns the model).
    std::function<QMimeData*(const QList<int>& rows)> makeMimeData;

private:
    FolderRows rows_;
};

} // namespace korvel

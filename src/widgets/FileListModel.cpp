#include "widgets/FileListModel.h"

#include "platform/FileTypes.h"

#include <QMimeData>
#include <algorithm>
#include <numeric>

namespace korvel {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FolderView::ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const files::Entry& e = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return FolderView::columnText(e, index.column(), rows_.drives);
    case Qt::DecorationRole:
        if (index.column() == 0)
            return FileTypes::instance().icon(e.typeId);
        return {};
    case Qt::TextAlignmentRole:
        if (FolderView::rightAligned(index.column(), rows_.drives))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::SizeHintRole:
        if (index.column() == 0 && itemSize.isValid())
            return itemSize;
        return {};
    case Qt::ToolTipRole:
        if (index.column() == 0)
            return path(index.row());
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return FolderView::caption(section, rows_.drives);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (FolderView::rightAligned(section, rows_.drives) ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (dragEnabled)
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList FileListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* FileListModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const auto& i : indexes)
        if (!rows.contains(i.row()))
            rows << i.row();
    std::sort(rows.begin(), rows.end());
    if (makeMimeData)
        return makeMimeData(rows);
    return nullptr;
}

QString FileListModel::path(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return FolderView::fullPath(rows_, entry(row));
}

void FileListModel::setRows(FolderRows rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, FolderView::ColumnCount - 1);
}

void FileListModel::sortRows(const files::SortState& s) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const auto n = rows_.rows.size();
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    auto typeName = [](std::uint32_t id) { return FileTypes::instance().nameUtf8(id); };
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        int c = files::compareEntries(rows_.rows[a], rows_.rows[b], s.column, rows_.drives, typeName);
        return s.reverse ? c > 0 : c < 0;
    });
    std::vector<files::Entry> sorted;
    sorted.reserve(n);
    std::vector<int> newRowOf(n);
    for (std::size_t i = 0; i < n; ++i) {
        newRowOf[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows_.rows[order[i]]));
    }
    rows_.rows = std::move(sorted);
    const auto persistent = persistentIndexList();
    QModelIndexList to;
    to.reserve(persistent.size());
    for (const auto& i : persistent)
        to << index(newRowOf[static_cast<std::size_t>(i.row())], i.column());
    changePersistentIndexList(persistent, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace korvel

#include "widgets/MFileExplorer.h"

#include "core/files/DirectoryRules.h"
#include "platform/DefaultCommand.h"
#include "platform/FolderView.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"
#include "widgets/FileListModel.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>
#include <QUrl>

namespace korvel {
namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::string local8(const QString& s) {
    return pathBytes(s);
}
QString fromLocal8(const std::string& s) {
    return pathText(s);
}

} // namespace

TMFileExplorer::TMFileExplorer(QWidget* parent, const QString& name)
    : QWidget(parent), model_(new FileListModel(this)), listView_(new QListView(this)),
      treeView_(new QTreeView(this)), stack_(new QStackedLayout(this)) {
    if (!name.isEmpty())
        setObjectName(name);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(listView_);
    stack_->addWidget(treeView_);
    model_->makeMimeData = [this](const QList<int>& rows) { return makeDragData(rows); };

    treeView_->setModel(model_);
    listView_->setModel(model_);
    listView_->setSelectionModel(treeView_->selectionModel());
    treeView_->setRootIsDecorated(false);
    treeView_->setUniformRowHeights(true);
    treeView_->setItemsExpandable(false);
    treeView_->setAllColumnsShowFocus(true);
    treeView_->setSortingEnabled(false);
    treeView_->header()->setSectionsClickable(true);
    treeView_->header()->setStretchLastSection(false);
    treeView_->header()->setSortIndicatorShown(true);
    connect(treeView_->header(), &QHeaderView::sectionClicked, this, &TMFileExplorer::ColumnClick);
    listView_->setUniformItemSizes(true);
    listView_->setMovement(QListView::Static);
    listView_->setResizeMode(QListView::Adjust);
    listView_->setTextElideMode(Qt::ElideRight);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(listView_), static_cast<QAbstractItemView*>(treeView_)}) {
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setSelectionMode(QAbstractItemView::SingleSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setDragDropMode(QAbstractItemView::NoDragDrop);
        v->installEventFilter(this);
        v->viewport()->installEventFilter(this);
        v->viewport()->setAcceptDrops(true);
    }
    connect(treeView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit OnChange(); });
    connect(treeView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { emit OnChange(); });
    setFocusPolicy(Qt::StrongFocus);
    setViewStyle(vsSmallIcon);
    RefreshList();
}

TMFileExplorer::~TMFileExplorer() = default;

QAbstractItemView* TMFileExplorer::view() const {
    if (viewStyle_ == vsReport)
        return treeView_;
    return listView_;
}

void TMFileExplorer::setDirectory(const QString& dir) {
    auto change = files::changeDirectory(local8(directory_), local8(dir));
    if (change.kind == files::DirectoryChange::Ignore)
        return;
    directory_ = change.kind == files::DirectoryChange::Drives ? dir : fromLocal8(change.value);
    RefreshList();
    emit directoryChanged(directory_);
}

void TMFileExplorer::setMask(const QString& mask) {
    if (mask == mask_)
        return;
    mask_ = mask;
    RefreshList();
}

void TMFileExplorer::setFileType(unsigned fileType) {
    if (fileType == fileType_)
        return;
    fileType_ = fileType;
    RefreshList();
}

void TMFileExplorer::RefreshList() {
    WaitCursor wait;
    FolderRows rows = FolderView::list(directory_, mask_, fileType_);
    // A fresh listing is sorted as if the name header were clicked with the order reversed.
    sort_.reverse = true;
    sort_.columnClick(0);
    FolderView::sort(rows, sort_);
    model_->setRows(std::move(rows));
    applyColumns();
    emit OnChange();
}

void TMFileExplorer::applyColumns() {
    const bool drives = model_->isDriveListing();
    QHeaderView* h = treeView_->header();
    if (!columnsSet_ || drives != columnsDrives_) {
        for (int c = 0; c < FolderView::ColumnCount; ++c)
            h->resizeSection(c, FolderView::columnWidth(c, drives));
        columnsSet_ = true;
        columnsDrives_ = drives;
    }
    h->setSortIndicator(sort_.column, sort_.reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TMFileExplorer::ColumnClick(int column) {
    sort_.columnClick(column);
    model_->sortRows(sort_);
    treeView_->header()->setSortIndicator(sort_.column,
                                          sort_.reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TMFileExplorer::UpOneLevel() {
    std::string up = files::upOneLevel(local8(directory_), Volumes::rootsLocal8());
    if (!up.empty())
        setDirectory(fromLocal8(up));
}

void TMFileExplorer::setViewStyle(TViewStyle s) {
    const bool hadFocus = view()->hasFocus();
    viewStyle_ = s;
    switch (s) {
    case vsIcon:
        listView_->setViewMode(QListView::IconMode);
        listView_->setFlow(QListView::LeftToRight);
        listView_->setWrapping(true);
        listView_->setWordWrap(true);
        listView_->setIconSize(QSize(32, 32));
        break;
    case vsSmallIcon:
    case vsList:
        listView_->setViewMode(QListView::ListMode);
        listView_->setFlow(s == vsList ? QListView::TopToBottom : QListView::LeftToRight);
        listView_->setWrapping(true);
        listView_->setWordWrap(false);
        listView_->setIconSize(QSize(16, 16));
        break;
    case vsReport:
        break;
    }
    listView_->setMovement(QListView::Static);
    applyDragDrop();
    applyGrid();
    stack_->setCurrentWidget(view());
    setFocusProxy(view());
    if (hadFocus)
        view()->setFocus();
    if (QModelIndex cur = view()->currentIndex(); cur.isValid())
        view()->scrollTo(cur);
}

// Items sit on a grid; the list styles make their cells as wide as the pane allows.
void TMFileExplorer::applyGrid() {
    const int w = listView_->viewport()->width();
    QSize grid;
    switch (viewStyle_) {
    case vsIcon:
        grid = QSize(96, 64);
        break;
    case vsSmallIcon:
        grid = QSize(w > 0 && w < 2 * 160 ? std::max(60, w - 2) : 160, 20);
        break;
    case vsList:
        grid = QSize(w > 0 && w < 2 * 180 ? std::max(60, w - 2) : 180, 20);
        break;
    case vsReport:
        model_->itemSize = QSize();
        return;
    }
    // Every item takes its whole cell (the list measures one item for all of them). The list
    // styles place the items by that size alone: a grid would leave a blank first row.
    const QSize item = grid - QSize(4, 0);
    if (viewStyle_ != vsIcon)
        grid = QSize();
    if (item == model_->itemSize && grid == listView_->gridSize())
        return;
    model_->itemSize = item;
    listView_->setGridSize(grid);
    listView_->setSpacing(listView_->spacing()); // lays the items out again
}

bool TMFileExplorer::MultiSelect() const {
    return treeView_->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TMFileExplorer::setMultiSelect(bool on) {
    auto mode = on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    listView_->setSelectionMode(mode);
    treeView_->setSelectionMode(mode);
}

void TMFileExplorer::setDragMode(TDragMode m) {
    dragMode_ = m;
    applyDragDrop();
}

// The list view resets its drag and drop settings whenever its view mode or movement change.
void TMFileExplorer::applyDragDrop() {
    const TDragMode m = dragMode_;
    model_->dragEnabled = m == dmAutomatic;
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(listView_), static_cast<QAbstractItemView*>(treeView_)}) {
        v->setDragEnabled(m == dmAutomatic);
        v->setDragDropMode(m == dmAutomatic ? QAbstractItemView::DragOnly : QAbstractItemView::NoDragDrop);
        v->setDefaultDropAction(Qt::CopyAction);
        v->viewport()->setAcceptDrops(true); // drops go to the owner's OnDragOver / OnDragDrop
    }
}

QMimeData* TMFileExplorer::makeDragData(const QList<int>& rows) {
    auto* d = new FileExplorerMimeData;
    d->source = this;
    QList<QUrl> urls;
    for (int r : rows)
        urls << QUrl::fromLocalFile(model_->path(r));
    d->setUrls(urls);
    return d;
}

TMFileExplorer* TMFileExplorer::dragSource(const QMimeData* data) {
    if (auto* d = qobject_cast<const FileExplorerMimeData*>(data))
        return d->source.data();
    return nullptr;
}

// --- rows -----------------------------------------------------------------------------------

bool TMFileExplorer::isDriveListing() const {
    return model_->isDriveListing();
}
int TMFileExplorer::rowCount() const {
    return model_->rowCount();
}
QString TMFileExplorer::rowCaption(int row) const {
    return rowText(row, 0);
}

QString TMFileExplorer::rowText(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return {};
    return FolderView::columnText(model_->entry(row), column, model_->isDriveListing());
}

QString TMFileExplorer::rowPath(int row) const {
    return model_->path(row);
}

files::EntryKind TMFileExplorer::rowKind(int row) const {
    return model_->entry(row).kind;
}

int TMFileExplorer::findRow(const QString& caption) const {
    for (int r = 0; r < rowCount(); ++r)
        if (rowCaption(r) == caption)
            return r;
    return -1;
}

QList<int> TMFileExplorer::selectedRows() const {
    QList<int> rows;
    const auto sel = treeView_->selectionModel()->selection();
    for (const auto& range : sel)
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows << r;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int TMFileExplorer::selectedRow() const {
    int best = -1;
    for (const auto& range : treeView_->selectionModel()->selection())
        if (best < 0 || range.top() < best)
            best = range.top();
    return best;
}

int TMFileExplorer::focusedRow() const {
    QModelIndex cur = treeView_->selectionModel()->currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

void TMFileExplorer::selectRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    QModelIndex i = model_->index(row, 0);
    treeView_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    view()->scrollTo(i);
}

QRect TMFileExplorer::rowRect(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return view()->visualRect(model_->index(row, 0));
}

QString TMFileExplorer::SelectedFilenames() const {
    QStringList paths;
    selectedNames_.clear();
    for (int r : selectedRows()) {
        paths << model_->path(r);
        selectedNames_ << (model_->entry(r).kind == files::EntryKind::Drive ? model_->path(r)
                                                                            : rowCaption(r));
    }
    return paths.join(QLatin1Char(';'));
}

int TMFileExplorer::SelectedCount() const {
    const auto n = selectedRows().size();
    return n ? static_cast<int>(n) : rowCount();
}

quint64 TMFileExplorer::SelectedSize() const {
    quint64 total = 0;
    for (int r : selectedRows())
        if (model_->entry(r).kind == files::EntryKind::File)
            total += model_->entry(r).size;
    return total;
}

unsigned TMFileExplorer::SelectedTypes() const {
    unsigned t = 0;
    for (int r : selectedRows()) {
        switch (model_->entry(r).kind) {
        case files::EntryKind::File:
            t |= otFile;
            break;
        case files::EntryKind::Dir:
            t |= otDirectory;
            break;
        case files::EntryKind::Drive:
            t |= otDisk;
            break;
        }
    }
    return t;
}

// --- events ---------------------------------------------------------------------------------

// The double-click action (also Enter): folders and drives are entered; a file is opened with
// the desktop's default command when ContextAction is set.
void TMFileExplorer::DblClick() {
    emit OnDblClick();
    const int row = selectedRow();
    if (row < 0)
        return;
    const files::Entry& e = model_->entry(row);
    const QString path = model_->path(row);
    if (e.kind == files::EntryKind::Dir || e.kind == files::EntryKind::Drive) {
        setDirectory(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'));
    } else if (ContextAction) {
        WaitCursor wait;
        DefaultCommand::openPath(path);
    }
}

bool TMFileExplorer::handleKey(QKeyEvent* e) {
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    bool handled = false;
    if (e->key() == Qt::Key_Backspace || (e->key() == Qt::Key_Up && mods == Qt::ControlModifier)) {
        UpOneLevel();
        handled = true;
    } else if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && selectedRow() >= 0) {
        DblClick();
        handled = true;
    }
    emit OnKeyDown(e->key(), e->modifiers());
    return handled;
}

// Keys sent to the list itself go to its item view, as if it had the focus. Keys the view leaves
// alone come back up here and go on to the parent.
void TMFileExplorer::forwardKey(QKeyEvent* e) {
    if (forwarding_ || e == lastViewKey_) {
        e->ignore();
        return;
    }
    forwarding_ = true;
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                   static_cast<ushort>(e->count()));
    QCoreApplication::sendEvent(view(), &copy);
    forwarding_ = false;
    e->setAccepted(copy.isAccepted());
}

void TMFileExplorer::keyPressEvent(QKeyEvent* e) {
    forwardKey(e);
}
void TMFileExplorer::keyReleaseEvent(QKeyEvent* e) {
    forwardKey(e);
}

bool TMFileExplorer::eventFilter(QObject* watched, QEvent* event) {
    const bool isView = watched == listView_ || watched == treeView_;
    const bool isViewport = watched == listView_->viewport() || watched == treeView_->viewport();
    if (!isView && !isViewport)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (isView) {
            lastViewKey_ = event;
            return handleKey(static_cast<QKeyEvent*>(event));
        }
        break;
    case QEvent::KeyRelease:
        if (isView) {
            lastViewKey_ = event;
            auto* k = static_cast<QKeyEvent*>(event);
            // A held key sends a release before every repeated press: only the last release,
            // when the key really comes up, is a key-up.
            if (!k->isAutoRepeat())
                emit OnKeyUp(k->key(), k->modifiers());
        }
        break;
    case QEvent::FocusIn:
        if (isView)
            emit OnEnter();
        break;
    case QEvent::MouseButtonPress:
        // A press selects the row under the pointer and counts as its click for SelectedPath:
        // a drag that starts from this press carries this row, whether or not it was clicked
        // before.
        if (isViewport && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            const QModelIndex at = view()->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (at.isValid())
                selectedPath_ = model_->path(at.row());
        }
        break;
    case QEvent::MouseButtonRelease:
        if (isViewport && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (skipNextRelease_) {
                skipNextRelease_ = false;
            } else {
                if (int row = selectedRow(); row >= 0)
                    selectedPath_ = model_->path(row);
                emit OnClick();
            }
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (isViewport && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The list may be replaced by another folder: the view must not act on it.
            skipNextRelease_ = true;
            DblClick();
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == listView_->viewport())
            applyGrid();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDragMoveEvent*>(event);
        bool accept = false;
        emit OnDragOver(dragSource(d->mimeData()), d->position().toPoint(), &accept);
        if (accept) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
        } else {
            d->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        return true;
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(event);
        emit OnDragDrop(dragSource(d->mimeData()), d->position().toPoint());
        d->setDropAction(Qt::CopyAction);
        d->accept();
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvel

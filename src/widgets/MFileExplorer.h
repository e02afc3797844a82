#pragma once
// TMFileExplorer, the file list view of every browsing pane: the drives or the entries of one
// folder, in four view styles, folders first, sorted by a header click, walked with double click,
// Enter, Backspace and Ctrl+Up. Owners set Directory, read the selection and hook its events.

#include "core/files/Entry.h"
#include "core/files/EntrySort.h"

#include <QMimeData>
#include <QPointer>
#include <QWidget>

class QAbstractItemView;
class QListView;
class QTreeView;
class QStackedLayout;
class QKeyEvent;

namespace korvel {

class FileListModel;

class TMFileExplorer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Directory READ Directory WRITE setDirectory)
    Q_PROPERTY(QString Mask READ Mask WRITE setMask)
    Q_PROPERTY(unsigned FileType READ FileType WRITE setFileType)
    Q_PROPERTY(bool ContextAction MEMBER ContextAction)
    Q_PROPERTY(QString SelectedPath READ SelectedPath)
    Q_PROPERTY(QString SelectedFilenames READ SelectedFilenames)
    Q_PROPERTY(int SelectedCount READ SelectedCount)
    Q_PROPERTY(quint64 SelectedSize READ SelectedSize)
    Q_PROPERTY(TViewStyle ViewStyle READ ViewStyle WRITE setViewStyle)

public:
    enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
    Q_ENUM(TViewStyle)
    enum TDragMode { dmManual, dmAutomatic };
    // TObjectTypes: which kinds of row are selected.
    enum TObjectType : unsigned { otFile = 1, otDirectory = 2, otDisk = 4 };

    // Starts on Directory "drives" with Mask "*.*", FileType [] and small icons.
    explicit TMFileExplorer(QWidget* parent = nullptr, const QString& name = {});
    ~TMFileExplorer() override;

    QString Directory() const { return directory_; }
    void setDirectory(const QString& dir);
    QString Mask() const { return mask_; }
    void setMask(const QString& mask);
    unsigned FileType() const { return fileType_; }
    void setFileType(unsigned fileType);
    bool ContextAction = false;

    QString SelectedPath() const { return selectedPath_; }
    QString SelectedFilenames() const;
    int SelectedCount() const;
    quint64 SelectedSize() const;
    unsigned SelectedTypes() const;
    // The bare names of the selected rows, as of the last read of SelectedFilenames.
    const QStringList& SelectedNames() const { return selectedNames_; }

    void RefreshList();
    void UpOneLevel();

    TViewStyle ViewStyle() const { return viewStyle_; }
    void setViewStyle(TViewStyle s);
    bool MultiSelect() const;
    void setMultiSelect(bool on);
    TDragMode DragMode() const { return dragMode_; }
    void setDragMode(TDragMode m);

    int SortColumn() const { return sort_.column; }
    bool SortReverse() const { return sort_.reverse; }
    // The header click: same column turns the order round, another column sorts by it reversed.
    void ColumnClick(int column);

    // Rows, as owners and tests see them.
    bool isDriveListing() const;
    int rowCount() const;
    QString rowCaption(int row) const;
    QString rowText(int row, int column) const; // 0 caption, 1..4 the other columns
    QString rowPath(int row) const;
    files::EntryKind rowKind(int row) const;
    int findRow(const QString& caption) const; // first row with that caption, or -1
    int selectedRow() const;                   // first selected row in row order, or -1
    QList<int> selectedRows() const;           // in row order
    int focusedRow() const;                    // the row with the keyboard focus, or -1
    void selectRow(int row);                   // makes row the only selected and focused row
    QRect rowRect(int row) const;              // in the coordinates of view()->viewport()

    // The item view of the present style (a list view, or a tree view for vsReport).
    QAbstractItemView* view() const;
    QListView* iconView() const { return listView_; }
    QTreeView* reportView() const { return treeView_; }
    FileListModel* model() const { return model_; }

    // The file list view a drag came from, when it came from one.
    static TMFileExplorer* dragSource(const QMimeData* data);

signals:
    void OnChange();
    void OnClick();
    void OnDblClick();
    void OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void OnKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void OnEnter();
    // A drag moves over the list; set *accept to take the drop. source: the file list view the
    // drag came from, nullptr for anything else.
    void OnDragOver(korvel::TMFileExplorer* source, QPoint pos, bool* accept);
    void OnDragDrop(korvel::TMFileExplorer* source, QPoint pos);
    // Directory changed (after the new listing).
    void directoryChanged(const QString& directory);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void DblClick();
    bool handleKey(QKeyEvent* e);
    void forwardKey(QKeyEvent* e);
    void applyColumns();
    void applyGrid();
    void applyDragDrop();
    QMimeData* makeDragData(const QList<int>& rows);

    FileListModel* model_;
    QListView* listView_;
    QTreeView* treeView_;
    QStackedLayout* stack_;
    QString directory_ = QStringLiteral("drives");
    QString mask_ = QStringLiteral("*.*");
    unsigned fileType_ = 0;
    QString selectedPath_;
    mutable QStringList selectedNames_;
    TViewStyle viewStyle_ = vsSmallIcon;
    TDragMode dragMode_ = dmManual;
    files::SortState sort_;
    bool columnsDrives_ = false;
    bool columnsSet_ = false;
    bool skipNextRelease_ = false;
    bool forwarding_ = false;
    const QEvent* lastViewKey_ = nullptr; // a key the view saw, coming back up unhandled
};

// Drag data of a file list view: the selected files as URLs, and the view they came from.
class FileExplorerMimeData : public QMimeData {
    Q_OBJECT
public:
    QPointer<TMFileExplorer> source;
};

} // namespace korvel

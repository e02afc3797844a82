#include "filemanager/FileManagerPage.h"

#include "filemanager/AMHFileOp.h"
#include "platform/Prompts.h"
#include "widgets/FolderHistory.h"
#include "widgets/MFileExplorer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

struct Pane {
    QFrame* panel;
    QFrame* bar;
    QToolButton* up;
    QComboBox* drive;
    QComboBox* dir;
    QFrame* shape;
    TMFileExplorer* list;
};

Pane makePane(QWidget* parent, const char* panel, const char* bar, const char* up, const char* drive,
              const char* dir, const char* shape, const char* list) {
    Pane p;
    p.panel = new QFrame(parent);
    p.panel->setObjectName(QString::fromLatin1(panel));
    auto* v = new QVBoxLayout(p.panel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    p.bar = new QFrame(p.panel);
    p.bar->setObjectName(QString::fromLatin1(bar));
    auto* h = new QHBoxLayout(p.bar);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    p.up = new QToolButton(p.bar);
    p.up->setObjectName(QString::fromLatin1(up));
    p.up->setIcon(p.up->style()->standardIcon(QStyle::SP_FileDialogToParent));
    p.up->setToolTip(QStringLiteral("Up "));
    p.up->setFocusPolicy(Qt::NoFocus);
    p.drive = FolderHistory::makeBox(p.bar, QString::fromLatin1(drive));
    p.dir = FolderHistory::makeBox(p.bar, QString::fromLatin1(dir));
    h->addWidget(p.up);
    h->addWidget(p.drive, 1);
    h->addWidget(p.dir, 3);
    v->addWidget(p.bar);
    p.shape = new QFrame(p.panel);
    p.shape->setObjectName(QString::fromLatin1(shape));
    p.shape->setFixedHeight(12);
    // The active-pane bar: an outline in the inactive caption colour until its pane is active.
    p.shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    p.shape->setLineWidth(3);
    QPalette pal = p.shape->palette();
    pal.setColor(QPalette::WindowText, TFileManagerPage::inactiveBarColour());
    p.shape->setPalette(pal);
    v->addWidget(p.shape);
    p.list = new TMFileExplorer(p.panel, QString::fromLatin1(list));
    p.list->setMultiSelect(true);
    p.list->ContextAction = true;
    p.list->setDragMode(TMFileExplorer::dmAutomatic);
    v->addWidget(p.list, 1);
    return p;
}

QToolButton* makeCommand(QWidget* parent, const char* name, const QString& text, const QColor& colour) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A speed button: clicking it leaves the keyboard focus, and so the active pane, where it was.
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumWidth(90);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, colour);
    b->setPalette(pal);
    return b;
}

void setBarColour(QFrame* bar, const QColor& c) {
    QPalette pal = bar->palette();
    pal.setColor(QPalette::WindowText, c);
    bar->setPalette(pal);
}

const QString kTitle = QStringLiteral("Korvel");

// Clears a flag when the scope ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

} // namespace

TFileManagerPage::TFileManagerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FileMgrPage"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    Splitter3 = new QSplitter(Qt::Horizontal, this);
    Splitter3->setObjectName(QStringLiteral("Splitter3"));
    Splitter3->setHandleWidth(9);
    Splitter3->setChildrenCollapsible(false);
    v->addWidget(Splitter3, 1);

    Pane l =
        makePane(Splitter3, "PanelLeft", "PanLeft", "UpdirL", "CB_DriveL", "CBDirL", "ShapeLeft", "LeftPane");
    Pane r = makePane(Splitter3, "PanelRight", "PanRight", "UpDirR", "CB_DriveR", "CBDirR", "ShapeRight",
                      "RightPane");
    PanelLeft = l.panel, PanLeft = l.bar, UpdirL = l.up, CB_DriveL = l.drive, CBDirL = l.dir,
    ShapeLeft = l.shape, LeftPane = l.list;
    PanelRight = r.panel, PanRight = r.bar, UpDirR = r.up, CB_DriveR = r.drive, CBDirR = r.dir,
    ShapeRight = r.shape, RightPane = r.list;
    Splitter3->addWidget(PanelLeft);
    Splitter3->addWidget(PanelRight);

    PanCommand = new QFrame(this);
    PanCommand->setObjectName(QStringLiteral("PanCommand"));
    PanCommand->setFixedHeight(29);
    auto* cmd = new QHBoxLayout(PanCommand);
    cmd->setContentsMargins(2, 2, 2, 2);
    cmd->setSpacing(6);
    B_Copy = makeCommand(PanCommand, "B_Copy", QStringLiteral("Copy"), QColor(0, 0, 255));
    B_Move = makeCommand(PanCommand, "B_Move", QStringLiteral("Move"), QColor(0, 0, 255));
    B_Delete = makeCommand(PanCommand, "B_Delete", QStringLiteral("Delete"), QColor(255, 0, 0));
    cmd->addWidget(B_Copy);
    cmd->addWidget(B_Move);
    cmd->addWidget(B_Delete);
    cmd->addStretch(1);
    v->addWidget(PanCommand);

    AMH1 = new TAMHFileOp(this);

    connect(UpdirL, &QToolButton::clicked, this, &TFileManagerPage::UpdirLClick);
    connect(UpDirR, &QToolButton::clicked, this, &TFileManagerPage::UpDirRClick);
    FolderHistory::onUserChange(CB_DriveL, [this](const QString&) { CB_DriveLChange(); });
    FolderHistory::onUserChange(CB_DriveR, [this](const QString&) { CB_driveRChange(); });
    FolderHistory::onUserChange(CBDirL, [this](const QString&) { CBDirLChange(); });
    FolderHistory::onUserChange(CBDirR, [this](const QString&) { CBDirRChange(); });
    connect(LeftPane, &TMFileExplorer::OnChange, this, &TFileManagerPage::LeftPaneChange);
    connect(RightPane, &TMFileExplorer::OnChange, this, &TFileManagerPage::RightPaneChange);
    connect(LeftPane, &TMFileExplorer::OnEnter, this, &TFileManagerPage::LeftPaneEnter);
    connect(RightPane, &TMFileExplorer::OnEnter, this, &TFileManagerPage::RightPaneEnter);
    connect(LeftPane, &TMFileExplorer::OnDragOver, this,
            [this](TMFileExplorer* source, QPoint, bool* accept) { LeftPaneDragOver(source, accept); });
    connect(RightPane, &TMFileExplorer::OnDragOver, this,
            [this](TMFileExplorer* source, QPoint, bool* accept) { RightPaneDragOver(source, accept); });
    connect(LeftPane, &TMFileExplorer::OnDragDrop, this, &TFileManagerPage::LeftPaneDragDrop);
    connect(RightPane, &TMFileExplorer::OnDragDrop, this, &TFileManagerPage::RightPaneDragDrop);
    connect(LeftPane, &TMFileExplorer::OnKeyDown, this,
            [this](int key, Qt::KeyboardModifiers) { LeftPaneKeyDown(key); });
    connect(RightPane, &TMFileExplorer::OnKeyDown, this,
            [this](int key, Qt::KeyboardModifiers) { RightPaneKeyDown(key); });
    connect(B_Copy, &QToolButton::clicked, this, &TFileManagerPage::B_CopyClick);
    connect(B_Move, &QToolButton::clicked, this, &TFileManagerPage::B_MoveClick);
    connect(B_Delete, &QToolButton::clicked, this, &TFileManagerPage::B_DeleteClick);
    ShapeLeft->installEventFilter(this);
    ShapeRight->installEventFilter(this);
}

QColor TFileManagerPage::activeBarColour() {
    return QColor(10, 36, 106);
}
QColor TFileManagerPage::inactiveBarColour() {
    return QColor(191, 205, 219);
}

void TFileManagerPage::CB_DriveLChange() {
    LeftPane->setDirectory(CB_DriveL->currentText());
}
void TFileManagerPage::CB_driveRChange() {
    RightPane->setDirectory(CB_DriveR->currentText());
}
void TFileManagerPage::CBDirLChange() {
    LeftPane->setDirectory(CBDirL->currentText());
}
void TFileManagerPage::CBDirRChange() {
    RightPane->setDirectory(CBDirR->currentText());
}
void TFileManagerPage::UpdirLClick() {
    LeftPane->UpOneLevel();
}
void TFileManagerPage::UpDirRClick() {
    RightPane->UpOneLevel();
}
void TFileManagerPage::LeftPaneChange() {
    FolderHistory::update(CBDirL, CB_DriveL, LeftPane);
}
void TFileManagerPage::RightPaneChange() {
    FolderHistory::update(CBDirR, CB_DriveR, RightPane);
}

// --- the active pane --------------------------------------------------------------------------

TMFileExplorer* TFileManagerPage::otherPane(const TMFileExplorer* pane) const {
    return pane == LeftPane ? RightPane : LeftPane;
}

TMFileExplorer* TFileManagerPage::focusedPane() const {
    // The window's focus widget stays put while a dialog of ours is in front.
    QWidget* f = window()->focusWidget();
    if (!f)
        return nullptr;
    for (TMFileExplorer* pane : {LeftPane, RightPane}) {
        if (f == pane || pane->isAncestorOf(f))
            return pane;
    }
    return nullptr;
}

void TFileManagerPage::setActive(TMFileExplorer* pane) {
    active_ = pane;
    setBarColour(ShapeLeft, pane == LeftPane ? activeBarColour() : inactiveBarColour());
    setBarColour(ShapeRight, pane == RightPane ? activeBarColour() : inactiveBarColour());
}

void TFileManagerPage::LeftPaneEnter() {
    setActive(LeftPane);
}
void TFileManagerPage::RightPaneEnter() {
    setActive(RightPane);
}
void TFileManagerPage::ShapeLeftMouseDown() {
    setActive(LeftPane);
    LeftPane->view()->setFocus(Qt::MouseFocusReason);
}
void TFileManagerPage::ShapeRightMouseDown() {
    setActive(RightPane);
    RightPane->view()->setFocus(Qt::MouseFocusReason);
}

bool TFileManagerPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ShapeLeft) {
            ShapeLeftMouseDown();
            return true;
        }
        if (watched == ShapeRight) {
            ShapeRightMouseDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- commands -------------------------------------------------------------------------------

bool TFileManagerPage::allowed(Command command, const TMFileExplorer* source,
                               const TMFileExplorer* destination) {
    Prompts& prompts = Prompts::current();
    if (destination && destination->isDriveListing()) {
        prompts.inform(
            this, kTitle,
            QStringLiteral("Open a folder in the other pane first: files cannot be %1 to the "
                           "list of drives.")
                .arg(command == Command::Move ? QStringLiteral("moved") : QStringLiteral("copied")));
        return false;
    }
    if (command != Command::Copy && source->isDriveListing()) {
        prompts.inform(this, kTitle,
                       command == Command::Move ? QStringLiteral("A drive cannot be moved.")
                                                : QStringLiteral("A drive cannot be deleted."));
        return false;
    }
    // The operation carries its paths in one ";"-separated list: a ";" inside a path would split
    // it into other names, perhaps of other files.
    QStringList paths;
    for (int row : source->selectedRows())
        paths << source->rowPath(row);
    if (destination)
        paths << destination->Directory();
    for (const QString& path : paths) {
        if (path.contains(QLatin1Char(';'))) {
            prompts.inform(this, kTitle,
                           QStringLiteral("\"%1\" contains \";\", which the file manager cannot pass on. "
                                          "Rename it first.")
                               .arg(path));
            return false;
        }
    }
    return true;
}

bool TFileManagerPage::run(Command command, const TMFileExplorer* source, const TMFileExplorer* destination) {
    AMH1->FilesFrom = source->SelectedFilenames();
    AMH1->FilesTo = destination ? destination->Directory() : QString();
    AMH1->Operation = command == Command::Copy   ? TAMHFileOp::foCopy
                      : command == Command::Move ? TAMHFileOp::foMove
                                                 : TAMHFileOp::foDelete;
    return AMH1->Execute();
}

QString TFileManagerPage::question(Command command, int count) const {
    const PromptTexts t = promptTexts ? promptTexts() : PromptTexts{CopyPrompt, MovePrompt, CountWord};
    // Joined, not formatted: a language file's text may hold anything, "%" included.
    return (command == Command::Move ? t.movePrompt : t.copyPrompt) + QLatin1Char(' ') +
           QString::number(count) + QLatin1Char(' ') + t.countWord + QLatin1Char('?');
}

void TFileManagerPage::relist(TMFileExplorer* pane) {
    pane->RefreshList();
    emit paneRelisted(pane);
}

void TFileManagerPage::transfer(Command command) {
    if (busy_)
        return;
    TMFileExplorer* source = focusedPane();
    if (!source || source->selectedRows().isEmpty())
        return;
    TMFileExplorer* destination = otherPane(source);
    if (!allowed(command, source, destination))
        return;
    BusyScope busy(busy_);
    const QString text = question(command, static_cast<int>(source->selectedRows().size()));
    if (Prompts::current().askOkCancel(this, kTitle, text))
        run(command, source, destination);
    if (command == Command::Move) {
        relist(LeftPane);
        relist(RightPane);
    } else {
        relist(destination);
    }
}

void TFileManagerPage::deleteFrom(TMFileExplorer* pane) {
    if (busy_ || pane->selectedRows().isEmpty())
        return;
    if (!allowed(Command::Delete, pane, nullptr))
        return;
    BusyScope busy(busy_);
    run(Command::Delete, pane, nullptr); // the operation asks its own confirmation
    relist(pane);
}

void TFileManagerPage::dropOnto(TMFileExplorer* target) {
    if (busy_)
        return;
    TMFileExplorer* source = otherPane(target);
    const int count = static_cast<int>(source->selectedRows().size());
    if (count == 0)
        return; // nothing to copy
    if (!allowed(Command::Copy, source, target))
        return;
    BusyScope busy(busy_);
    const bool ok = target == RightPane
                        ? Prompts::current().askOkCancel(this, kTitle, question(Command::Copy, count))
                        : Prompts::current().askOkCancel(this, QStringLiteral("Confirm file operation"),
                                                         QStringLiteral("Copy %1 file(s)?").arg(count));
    if (ok)
        run(Command::Copy, source, target);
    relist(target);
}

void TFileManagerPage::B_CopyClick() {
    transfer(Command::Copy);
}
void TFileManagerPage::B_MoveClick() {
    transfer(Command::Move);
}
void TFileManagerPage::B_DeleteClick() {
    if (TMFileExplorer* pane = focusedPane())
        deleteFrom(pane);
}

void TFileManagerPage::LeftPaneKeyDown(int key) {
    if (key == Qt::Key_Delete)
        deleteFrom(LeftPane);
}
void TFileManagerPage::RightPaneKeyDown(int key) {
    if (key == Qt::Key_Delete)
        deleteFrom(RightPane);
}

void TFileManagerPage::LeftPaneDragOver(TMFileExplorer* source, bool* accept) {
    *accept = source != nullptr;
}
void TFileManagerPage::RightPaneDragOver(TMFileExplorer* source, bool* accept) {
    *accept = source != nullptr;
}
void TFileManagerPage::LeftPaneDragDrop() {
    dropOnto(LeftPane);
}
void TFileManagerPage::RightPaneDragDrop() {
    dropOnto(RightPane);
}

// --- layout ---------------------------------------------------------------------------------

void TFileManagerPage::FormResize() {
    const int w = width();
    const int left = (w - 7) / 2;
    Splitter3->setSizes({left, std::max(0, w - Splitter3->handleWidth() - left)});
}

void TFileManagerPage::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
}

} // namespace korvel

#include "filemanager/FileManagerPage.h"

#include "app/FolderHistory.h"
#include "app/MFileExplorer.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
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
    p.shape->setLineWidth(2);
    QPalette pal = p.shape->palette();
    pal.setColor(QPalette::WindowText, QColor(191, 205, 219));
    p.shape->setPalette(pal);
    v->addWidget(p.shape);
    p.list = new TMFileExplorer(p.panel, QString::fromLatin1(list));
    p.list->setMultiSelect(true);
    p.list->ContextAction = true;
    p.list->setDragMode(TMFileExplorer::dmAutomatic);
    v->addWidget(p.list, 1);
    return p;
}

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
    v->addWidget(PanCommand);

    connect(UpdirL, &QToolButton::clicked, this, &TFileManagerPage::UpdirLClick);
    connect(UpDirR, &QToolButton::clicked, this, &TFileManagerPage::UpDirRClick);
    FolderHistory::onUserChange(CB_DriveL, [this](const QString&) { CB_DriveLChange(); });
    FolderHistory::onUserChange(CB_DriveR, [this](const QString&) { CB_driveRChange(); });
    FolderHistory::onUserChange(CBDirL, [this](const QString&) { CBDirLChange(); });
    FolderHistory::onUserChange(CBDirR, [this](const QString&) { CBDirRChange(); });
    connect(LeftPane, &TMFileExplorer::OnChange, this, &TFileManagerPage::LeftPaneChange);
    connect(RightPane, &TMFileExplorer::OnChange, this, &TFileManagerPage::RightPaneChange);
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

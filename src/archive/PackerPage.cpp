#include "archive/PackerPage.h"

#include "app/FolderHistory.h"
#include "app/MFileExplorer.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel {

TPackerPage::TPackerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PackPage"));
    PageLayout = new QVBoxLayout(this);
    PageLayout->setContentsMargins(4, 4, 4, 4);
    PageLayout->setSpacing(4);

    Splitter2 = new QSplitter(Qt::Horizontal, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    PageLayout->addWidget(Splitter2, 1);

    PanelLFM = new QFrame(Splitter2);
    PanelLFM->setObjectName(QStringLiteral("PanelLFM"));
    auto* g = new QGridLayout(PanelLFM);
    g->setContentsMargins(0, 0, 0, 0);
    g->setSpacing(2);
    SBLFM = new QToolButton(PanelLFM);
    SBLFM->setObjectName(QStringLiteral("SBLFM"));
    SBLFM->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    SBLFM->setToolTip(QStringLiteral("Up one folder"));
    SBLFM->setFocusPolicy(Qt::NoFocus);
    CB_DriveC = FolderHistory::makeBox(PanelLFM, QStringLiteral("CB_DriveC"));
    CBDirC = FolderHistory::makeBox(PanelLFM, QStringLiteral("CBDirC"));
    LFileMgr = new TMFileExplorer(PanelLFM, QStringLiteral("LFileMgr"));
    LFileMgr->setViewStyle(TMFileExplorer::vsSmallIcon);
    LFileMgr->setDragMode(TMFileExplorer::dmAutomatic);
    g->addWidget(SBLFM, 0, 0);
    g->addWidget(CB_DriveC, 0, 1);
    g->addWidget(CBDirC, 0, 2);
    g->addWidget(LFileMgr, 1, 0, 1, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(2, 3);
    Splitter2->addWidget(PanelLFM);

    connect(SBLFM, &QToolButton::clicked, this, &TPackerPage::SBLFMClick);
    FolderHistory::onUserChange(CB_DriveC, [this](const QString&) { CB_DriveCChange(); });
    FolderHistory::onUserChange(CBDirC, [this](const QString&) { CBDirCChange(); });
    connect(LFileMgr, &TMFileExplorer::OnClick, this, &TPackerPage::LFileMgrClick);
}

void TPackerPage::SBLFMClick() {
    LFileMgr->UpOneLevel();
}
void TPackerPage::CB_DriveCChange() {
    LFileMgr->setDirectory(CB_DriveC->currentText());
}
void TPackerPage::CBDirCChange() {
    LFileMgr->setDirectory(CBDirC->currentText());
}
void TPackerPage::LFileMgrClick() {
    FolderHistory::update(CBDirC, CB_DriveC, LFileMgr);
}

} // namespace korvel

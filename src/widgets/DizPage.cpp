#include "widgets/DizPage.h"

#include "core/archive/ArchiveNames.h"
#include "widgets/FolderHistory.h"
#include "widgets/MFileExplorer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

QToolButton* makeButton(QWidget* parent, const char* name, const QString& caption, bool checkable = false) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setCheckable(checkable);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFont(parent->font());
    return b;
}

} // namespace

QFont TDizPage::defaultEditorFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(12);
    return f;
}

TDizPage::TDizPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DIZPage"));
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    pageLayout->setSpacing(2);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    pageLayout->addWidget(Splitter1, 1);

    // The browser pane.
    PanelLFile = new QFrame(Splitter1);
    PanelLFile->setObjectName(QStringLiteral("PanelLFile"));
    auto* paneLayout = new QVBoxLayout(PanelLFile);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(2);
    Panel1 = new QFrame(PanelLFile);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* p1 = new QGridLayout(Panel1);
    p1->setContentsMargins(0, 0, 0, 0);
    p1->setSpacing(2);
    B_UpDir = new QToolButton(Panel1);
    B_UpDir->setObjectName(QStringLiteral("B_UpDir"));
    B_UpDir->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    B_UpDir->setToolTip(QStringLiteral("Up one folder"));
    B_UpDir->setFocusPolicy(Qt::NoFocus);
    CB_DriveM = FolderHistory::makeBox(Panel1, QStringLiteral("CB_DriveM"));
    CB_DriveM->setToolTip(QStringLiteral("Drive"));
    CBDirM = FolderHistory::makeBox(Panel1, QStringLiteral("CBDirM"));
    CBDirM->setToolTip(QStringLiteral("Folder"));
    p1->addWidget(B_UpDir, 0, 0);
    p1->addWidget(CB_DriveM, 0, 1);
    p1->addWidget(CBDirM, 1, 0, 1, 2);
    p1->setColumnStretch(1, 1);
    paneLayout->addWidget(Panel1);
    LFile = new TMFileExplorer(PanelLFile, QStringLiteral("LFile"));
    // ZIP and MP3 files, and every archive the archive reader reads.
    LFile->setMask(QStringLiteral("*.zip;*.mp3;") +
                   QString::fromLatin1(kReaderArchiveMasks.data(), kReaderArchiveMasks.size()));
    LFile->setViewStyle(TMFileExplorer::vsSmallIcon);
    paneLayout->addWidget(LFile, 1);

    // The description area: the SAUCE fields over the editor or the drawn picture of an ANSI
    // description, with the audio panels over all of it.
    Cornice = new QGroupBox(QStringLiteral("file_id.diz"), Splitter1);
    Cornice->setObjectName(QStringLiteral("Cornice"));
    auto* cl = new QGridLayout(Cornice);
    cl->setContentsMargins(4, 4, 4, 4);
    cl->setSpacing(2);
    DIZArea = new QWidget(Cornice);
    DIZArea->setObjectName(QStringLiteral("DIZArea"));
    auto* al = new QVBoxLayout(DIZArea);
    al->setContentsMargins(0, 0, 0, 0);
    al->setSpacing(2);
    LSauce = new QLabel(DIZArea);
    LSauce->setObjectName(QStringLiteral("LSauce"));
    LSauce->setTextFormat(Qt::PlainText);
    LSauce->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LSauce->hide();
    DIZStack = new QStackedWidget(DIZArea);
    DIZStack->setObjectName(QStringLiteral("DIZStack"));
    al->addWidget(LSauce);
    al->addWidget(DIZStack, 1);
    DIZEdit = new QPlainTextEdit(DIZStack);
    DIZEdit->setObjectName(QStringLiteral("DIZEdit"));
    DIZEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    DIZEdit->setWordWrapMode(QTextOption::NoWrap);
    DIZEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DIZEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DIZEdit->setFont(defaultEditorFont());
    QPalette pal = DIZEdit->palette();
    pal.setColor(QPalette::Text, QColor(0, 0, 128)); // navy
    pal.setColor(QPalette::Base, Qt::white);
    DIZEdit->setPalette(pal);
    DIZPictureArea = new QScrollArea(DIZStack);
    DIZPictureArea->setObjectName(QStringLiteral("DIZPictureArea"));
    DIZPictureArea->setBackgroundRole(QPalette::Shadow);
    DIZPicture = new QLabel;
    DIZPicture->setObjectName(QStringLiteral("DIZPicture"));
    DIZPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    DIZPictureArea->setWidget(DIZPicture);
    DIZPictureArea->setWidgetResizable(false);
    DIZStack->addWidget(DIZEdit);
    DIZStack->addWidget(DIZPictureArea);
    DIZStack->setCurrentWidget(DIZEdit);
    MP3Panel = new QTabWidget(Cornice);
    MP3Panel->setObjectName(QStringLiteral("MP3Panel"));
    TabV1 = new QWidget(MP3Panel);
    TabV1->setObjectName(QStringLiteral("TabV1"));
    TabV2 = new QWidget(MP3Panel);
    TabV2->setObjectName(QStringLiteral("TabV2"));
    MP3Panel->addTab(TabV1, QStringLiteral("ID3 V 1"));
    MP3Panel->addTab(TabV2, QStringLiteral("ID3 V 2"));
    MP3Panel->hide();
    MPanel = new QFrame(Cornice);
    MPanel->setObjectName(QStringLiteral("MPanel"));
    MPanel->hide();
    cl->addWidget(DIZArea, 0, 0);
    cl->addWidget(MP3Panel, 0, 0); // the same cell: shown, it covers the editor
    cl->addWidget(MPanel, 1, 0);
    cl->setRowStretch(0, 1);

    Splitter1->addWidget(PanelLFile);
    Splitter1->addWidget(Cornice);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({211, 420});

    // The description buttons.
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    // Nine buttons share the strip: a compact face keeps the window at its 675 pixels.
    QFont small = Panel2->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    Panel2->setFont(small);
    auto* p2 = new QHBoxLayout(Panel2);
    p2->setContentsMargins(0, 0, 0, 0);
    p2->setSpacing(1);
    B_Auto = makeButton(Panel2, "B_Auto", QStringLiteral("Auto select"), true);
    B_FileID = makeButton(Panel2, "B_FileID", QStringLiteral("file_id.diz"), true);
    B_Readme = makeButton(Panel2, "B_Readme", QStringLiteral("readme.txt"), true);
    B_Filename = makeButton(Panel2, "B_Filename", QStringLiteral("<filename>.txt"), true);
    B_Custom = makeButton(Panel2, "B_Custom", QStringLiteral("all custom files"), true);
    CustMenu = new QMenu(B_Custom);
    CustMenu->setObjectName(QStringLiteral("CustMenu"));
    B_Custom->setMenu(CustMenu);
    B_Custom->setPopupMode(QToolButton::MenuButtonPopup);
    DescriptionChoice = new QButtonGroup(this);
    DescriptionChoice->setExclusive(true);
    for (QToolButton* b : {B_Auto, B_FileID, B_Readme, B_Filename, B_Custom}) {
        DescriptionChoice->addButton(b);
        p2->addWidget(b);
    }
    B_Auto->setChecked(true);
    p2->addSpacing(2);
    B_autoview = makeButton(Panel2, "B_autoview", QStringLiteral("Auto view"), true);
    B_autoview->setChecked(true);
    B_view = makeButton(Panel2, "B_view", QStringLiteral("View"));
    B_Unzip = makeButton(Panel2, "B_Unzip", QStringLiteral("Extract..."));
    B_Unzip->setEnabled(false);
    B_Save = makeButton(Panel2, "B_Save", QStringLiteral("Save info"));
    B_Save->setEnabled(false);
    for (QToolButton* b : {B_autoview, B_view, B_Unzip, B_Save})
        p2->addWidget(b);
    p2->addStretch(1);
    pageLayout->addWidget(Panel2);
}

} // namespace korvel

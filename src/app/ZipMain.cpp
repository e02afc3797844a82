#include "app/ZipMain.h"

#include "archive/PackerPage.h"
#include "filemanager/FileManagerPage.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "widgets/DizPage.h"
#include "widgets/FolderHistory.h"
#include "widgets/VerticalCaption.h"
#include <QDialog>

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

namespace korvel {
namespace {

// The faces of the view-style buttons, drawn for the style they set.
QIcon styleIcon(TMFileExplorer::TViewStyle s) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor ink(0, 0, 128), box(70, 110, 190);
    switch (s) {
    case TMFileExplorer::vsIcon:
        for (int x : {2, 11})
            for (int y : {2, 11})
                p.fillRect(x, y, 7, 7, box);
        break;
    case TMFileExplorer::vsSmallIcon:
        for (int x : {1, 11})
            for (int y : {2, 8, 14}) {
                p.fillRect(x, y, 3, 3, box);
                p.fillRect(x + 4, y + 1, 4, 1, ink);
            }
        break;
    case TMFileExplorer::vsList:
        for (int y : {2, 6, 10, 14}) {
            p.fillRect(2, y, 3, 3, box);
            p.fillRect(6, y + 1, 11, 1, ink);
        }
        break;
    case TMFileExplorer::vsReport:
        p.fillRect(1, 1, 18, 3, box);
        for (int y : {6, 10, 14}) {
            p.fillRect(1, y, 7, 1, ink);
            p.fillRect(10, y, 3, 1, ink);
            p.fillRect(15, y, 4, 1, ink);
        }
        break;
    }
    return QIcon(pm);
}

QString fileNamePart(const QString& path) {
    const auto slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

TMain::TMain(QWidget* parent) : MainWindowState(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Korvel 2002"));
    resize(675, 513);

    auto* central = new QWidget(this);
    auto* h = new QHBoxLayout(central);
    h->setContentsMargins(2, 2, 2, 2);
    h->setSpacing(2);
    buildViewStrip();
    h->addWidget(PanelMenu);

    Pagina = new QTabWidget(central);
    Pagina->setObjectName(QStringLiteral("Pagina"));
    Pagina->setTabPosition(QTabWidget::South);
    Pagina->setDocumentMode(false);
    DIZPage = new TDizPage(Pagina);
    PackPage = new TPackerPage(Pagina);
    FileMgrPage = new TFileManagerPage(Pagina);
    Pagina->addTab(DIZPage, QStringLiteral("ZIP and MP3 info"));
    Pagina->addTab(PackPage, QStringLiteral("Zip packer"));
    Pagina->addTab(FileMgrPage, QStringLiteral("File manager"));
    h->addWidget(Pagina, 1);
    setCentralWidget(central);

    LFile = DIZPage->LFile;
    B_UpDir = DIZPage->B_UpDir;
    CB_DriveM = DIZPage->CB_DriveM;
    CBDirM = DIZPage->CBDirM;
    Cornice = DIZPage->Cornice;
    DIZEdit = DIZPage->DIZEdit;
    MP3Panel = DIZPage->MP3Panel;
    MPanel = DIZPage->MPanel;
    B_autoview = DIZPage->B_autoview;
    B_Unzip = DIZPage->B_Unzip;
    B_Save = DIZPage->B_Save;
    LFileMgr = PackPage->LFileMgr;
    LeftPane = FileMgrPage->LeftPane;
    RightPane = FileMgrPage->RightPane;
    // The file manager asks with the window's texts, which a language file replaces.
    FileMgrPage->promptTexts = [this] {
        return TFileManagerPage::PromptTexts{CopyPrompt, MovePrompt, CountWord};
    };

    buildMenus();

    connect(Pagina, &QTabWidget::currentChanged, this, &TMain::PaginaChange);
    connect(B_UpDir, &QToolButton::clicked, this, &TMain::B_updirClick);
    connect(B_Save, &QToolButton::clicked, this, &TMain::B_SaveClick);
    FolderHistory::onUserChange(CB_DriveM, [this](const QString&) { CB_DriveMChange(); });
    FolderHistory::onUserChange(CBDirM, [this](const QString&) { CBDirMChange(); });
    connect(LFile, &TMFileExplorer::OnChange, this, &TMain::LFileChange);
    connect(LFile, &TMFileExplorer::OnClick, this, &TMain::LFileClick);
    connect(LFile, &TMFileExplorer::OnKeyUp, this,
            [this](int key, Qt::KeyboardModifiers) { LFileKeyUp(key); });
    connect(B_Unzip, &QToolButton::clicked, this, &TMain::B_UnzipClick);
}

TMain::~TMain() = default;

void TMain::buildViewStrip() {
    PanelMenu = new QFrame(this);
    PanelMenu->setObjectName(QStringLiteral("PanelMenu"));
    PanelMenu->setFixedWidth(32);
    PanelMenu->setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(PanelMenu);
    v->setContentsMargins(2, 4, 2, 4);
    v->setSpacing(2);
    ViewStyleButtons = new QButtonGroup(this);
    ViewStyleButtons->setExclusive(true);
    struct B {
        QToolButton** button;
        const char* name;
        TMFileExplorer::TViewStyle style;
        const char* tip;
        void (TMain::*click)();
    };
    const B buttons[] = {
        {&B_Large, "B_Large", TMFileExplorer::vsIcon, "Large icons", &TMain::B_LargeClick},
        {&B_Small, "B_Small", TMFileExplorer::vsList, "List", &TMain::B_SmallClick},
        {&B_List, "B_List", TMFileExplorer::vsReport, "Details", &TMain::B_ListClick},
        {&B_Detail, "B_Detail", TMFileExplorer::vsSmallIcon, "Small icons", &TMain::B_DetailClick},
    };
    for (const B& b : buttons) {
        auto* t = new QToolButton(PanelMenu);
        t->setObjectName(QString::fromLatin1(b.name));
        t->setCheckable(true);
        t->setAutoRaise(true);
        t->setIcon(styleIcon(b.style));
        t->setIconSize(QSize(20, 20));
        t->setToolTip(QString::fromLatin1(b.tip));
        t->setFocusPolicy(Qt::NoFocus);
        t->setFixedSize(26, 26);
        ViewStyleButtons->addButton(t);
        v->addWidget(t, 0, Qt::AlignHCenter);
        connect(t, &QToolButton::clicked, this, b.click);
        *b.button = t;
    }
    B_Detail->setChecked(true);
    v->addSpacing(8);
    MenuCaption = new VerticalCaption(QStringLiteral("Korvel 2002"), PanelMenu);
    MenuCaption->setObjectName(QStringLiteral("MenuCaption"));
    v->addWidget(MenuCaption, 1, Qt::AlignHCenter | Qt::AlignBottom);
}

// --- pages and view styles ------------------------------------------------------------------

QList<TMFileExplorer*> TMain::activeLists() const {
    switch (Pagina->currentIndex()) {
    case 0:
        return {LFile};
    case 1:
        return {LFileMgr};
    case 2:
        return {LeftPane, RightPane};
    default:
        return {};
    }
}

void TMain::PaginaChange() {
    const auto lists = activeLists();
    if (lists.isEmpty())
        return;
    switch (lists.front()->ViewStyle()) {
    case TMFileExplorer::vsIcon:
        B_Large->setChecked(true);
        break;
    case TMFileExplorer::vsList:
        B_Small->setChecked(true);
        break;
    case TMFileExplorer::vsReport:
        B_List->setChecked(true);
        break;
    default:
        B_Detail->setChecked(true);
        break;
    }
}

void TMain::setStyleOnActiveLists(TMFileExplorer::TViewStyle s) {
    for (TMFileExplorer* l : activeLists())
        l->setViewStyle(s);
}

void TMain::B_LargeClick() {
    setStyleOnActiveLists(TMFileExplorer::vsIcon);
}
void TMain::B_SmallClick() {
    setStyleOnActiveLists(TMFileExplorer::vsList);
}
void TMain::B_ListClick() {
    setStyleOnActiveLists(TMFileExplorer::vsReport);
}
void TMain::B_DetailClick() {
    setStyleOnActiveLists(TMFileExplorer::vsSmallIcon);
}

void TMain::FormResize() {
    FileMgrPage->FormResize();
}

void TMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    FormResize();
}

// --- browser pane ---------------------------------------------------------------------------

void TMain::B_updirClick() {
    LFile->UpOneLevel();
}
void TMain::CB_DriveMChange() {
    LFile->setDirectory(CB_DriveM->currentText());
}
void TMain::CBDirMChange() {
    LFile->setDirectory(CBDirM->currentText());
}
void TMain::LFileChange() {
    UpdateFolderHistory();
}
void TMain::UpdateFolderHistory() {
    FolderHistory::update(CBDirM, CB_DriveM, LFile);
}

bool TMain::SaveChanges() {
    if (!MP3Panel->isHidden()) {
        if (hooks.IDTagWrite)
            hooks.IDTagWrite();
        return true;
    }
    return hooks.Embed ? hooks.Embed() : true;
}

void TMain::B_SaveClick() {
    if (!SaveChanges())
        return; // nothing could be written: the edit stays marked
    Modified = false;
    B_Save->setEnabled(false);
}

bool TMain::SettleChanges() {
    if (Modified &&
        Prompts::current().askYesNo(this, QStringLiteral("Confirm"), QStringLiteral("Save the changes ?")))
        if (!SaveChanges())
            return false; // the description could not even be written out: keep everything
    Modified = false;
    B_Save->setEnabled(false);
    return true;
}

void TMain::LFileClick() {
    UpdateFolderHistory();
    if (!SettleChanges())
        return;
    CurrentFile = LFile->SelectedPath();
    if (!fileNamePart(CurrentFile).isEmpty() && B_autoview->isChecked())
        GetInfo(CurrentFile);
}

void TMain::LFileKeyUp(int key) {
    if (key != Qt::Key_Left && key != Qt::Key_Up && key != Qt::Key_Right && key != Qt::Key_Down)
        return;
    UpdateFolderHistory();
    if (!SettleChanges())
        return;
    const int row = LFile->focusedRow();
    if (row < 0)
        return;
    CurrentFile = LFile->rowPath(row);
    std::error_code ec;
    if (!fileNamePart(CurrentFile).isEmpty() && std::filesystem::exists(pathBytes(CurrentFile), ec) &&
        B_autoview->isChecked())
        GetInfo(CurrentFile);
}

void TMain::B_UnzipClick() {
    if (!FrmUnzip)
        return;
    FrmUnzip->show();
    FrmUnzip->raise();
    FrmUnzip->activateWindow();
}

void TMain::GetInfo(const QString& path) {
    ShownFile = path;
    const QString name = fileNamePart(path);
    const auto dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? QString() : name.mid(dot).toUpper();
    if (ext == QLatin1String(".MP3")) {
        MP3Panel->show();
        MPanel->show();
        B_Unzip->setEnabled(false);
        if (hooks.ViewMP3)
            hooks.ViewMP3(path);
    } else {
        MPanel->hide();
        MP3Panel->hide();
        B_Unzip->setEnabled(true);
        if (hooks.ViewInfo)
            hooks.ViewInfo(path);
    }
}

} // namespace korvel

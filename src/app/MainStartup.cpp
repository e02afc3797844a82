// TMain: start-up, the settings file, the Options and Help menus, and the ways the program ends.
#include "app/ZipMain.h"

#include "app/MainTray.h"
#include "archive/PackerPage.h"
#include "core/ProfileFile.h"
#include "core/files/Entry.h"
#include "filemanager/FileManagerPage.h"
#include "platform/DefaultCommand.h"
#include "platform/HelpPage.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "platform/Volumes.h"
#include "platform/WindowPlacement.h"
#include "widgets/DizPage.h"
#include "widgets/FolderHistory.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <filesystem>

namespace korvel {
namespace {

constexpr int MinFontPoints = 6;
constexpr int MaxFontPoints = 14;

std::optional<QFont> fontDialog(QWidget* parent, const QFont& start) {
    QFontDialog dlg(start, parent);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("Font"));
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.selectedFont();
}

QAction* addItem(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

void TMain::buildMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    M_ExportPicture = addItem(File1, "M_ExportPicture", QStringLiteral("Export &picture..."));
    M_ExportText = addItem(File1, "M_ExportText", QStringLiteral("Export &text..."));
    File1->addSeparator();
    Exit1 = addItem(File1, "Exit1", QStringLiteral("E&xit"));
    connect(Exit1, &QAction::triggered, this, &TMain::Exit1Click);

    Options1 = menuBar()->addMenu(QStringLiteral("&Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    M_Font = addItem(Options1, "M_Font", QStringLiteral("&Font..."));
    M_WW = addItem(Options1, "M_WW", QStringLiteral("&Word wrap"));
    M_WW->setCheckable(true);
    Hiddenfiles1 = addItem(Options1, "Hiddenfiles1", QStringLiteral("Show &hidden files"));
    Hiddenfiles1->setCheckable(true);
    Options1->addSeparator();
    // The description view's items; the description area fills and handles them.
    M_CodePage = Options1->addMenu(QStringLiteral("Code &page"));
    M_CodePage->setObjectName(QStringLiteral("M_CodePage"));
    M_DetectUtf8 = addItem(M_CodePage, "M_DetectUtf8", QStringLiteral("&Detect UTF-8"));
    M_DetectUtf8->setCheckable(true);
    M_DetectUtf8->setChecked(true);
    M_RawText = addItem(Options1, "M_RawText", QStringLiteral("Show &raw text"));
    M_RawText->setCheckable(true);
    Options1->addSeparator();
    Customfile1 = addItem(Options1, "Customfile1", QStringLiteral("&Custom file..."));
    Changelanguage1 = addItem(Options1, "Changelanguage1", QStringLiteral("Change &language..."));
    Cataloguefolder1 = addItem(Options1, "Cataloguefolder1", QStringLiteral("C&atalogue folder..."));
    connect(M_Font, &QAction::triggered, this, &TMain::M_FontClick);
    connect(M_WW, &QAction::triggered, this, &TMain::M_WWClick);
    connect(Hiddenfiles1, &QAction::triggered, this, &TMain::Hiddenfiles1Click);
    connect(Customfile1, &QAction::triggered, this, &TMain::Customfile1Click);
    connect(Changelanguage1, &QAction::triggered, this, &TMain::Changelanguage1Click);
    connect(Cataloguefolder1, &QAction::triggered, this, &TMain::Cataloguefolder1Click);

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    ManagingZIPfiles1 = addItem(Help1, "ManagingZIPfiles1", QStringLiteral("&Using Korvel"));
    ManagingZIPfiles1->setShortcut(QKeySequence(Qt::Key_F1));
    ManagingZIPfiles1->setShortcutContext(Qt::ApplicationShortcut);
    About1 = addItem(Help1, "About1", QStringLiteral("&About..."));
    connect(ManagingZIPfiles1, &QAction::triggered, this, &TMain::ManagingZIPfiles1Click);
    connect(About1, &QAction::triggered, this, &TMain::About1Click);
    // Items whose window has not joined the program yet are shown disabled.
    connect(Options1, &QMenu::aboutToShow, this, &TMain::updateMenuItems);
    connect(Help1, &QMenu::aboutToShow, this, &TMain::updateMenuItems);
}

void TMain::updateMenuItems() {
    Customfile1->setEnabled(static_cast<bool>(hooks.ShowCustomFile));
    Changelanguage1->setEnabled(static_cast<bool>(hooks.ShowLanguageChooser));
    Cataloguefolder1->setEnabled(static_cast<bool>(hooks.CatalogueFolder) &&
                                 LFile->Directory() != QLatin1String("drives"));
    About1->setEnabled(static_cast<bool>(hooks.ShowAbout));
}

bool TMain::FormCreate() {
    // 1. The tray's minimise handler.
    if (hooks.InstallMinimize)
        hooks.InstallMinimize();
    // 2. The zip engine must be there and answer for the call interface we use.
    if (hooks.CheckZipDll && !hooks.CheckZipDll())
        return false;
    // 3., 4. No edit yet; the user's own files live in the folder we were started from.
    Modified = false;
    std::error_code ec;
    StartDir = pathText(std::filesystem::current_path(ec).string());
    // 5. The archive name lists (each engine request fills its own callback record).
    MemberNames.clear();
    ExtractNames.clear();
    // 6. The drive boxes list the volume roots.
    const QStringList roots = Volumes::roots();
    for (QComboBox* box : {CB_DriveM, FileMgrPage->CB_DriveL, FileMgrPage->CB_DriveR, PackPage->CB_DriveC})
        FolderHistory::fillDrives(box, roots);
    // 7. Each folder box shows its list's folder, each drive box that folder's drive.
    const std::pair<QComboBox*, QComboBox*> boxes[] = {{CBDirM, CB_DriveM},
                                                       {PackPage->CBDirC, PackPage->CB_DriveC},
                                                       {FileMgrPage->CBDirL, FileMgrPage->CB_DriveL},
                                                       {FileMgrPage->CBDirR, FileMgrPage->CB_DriveR}};
    const TMFileExplorer* lists[] = {LFile, LFileMgr, LeftPane, RightPane};
    for (int i = 0; i < 4; ++i) {
        boxes[i].first->setEditText(lists[i]->Directory());
        boxes[i].second->setEditText(Volumes::drivePart(lists[i]->Directory()));
    }
    // 8. The file manager's dialog texts.
    CopyPrompt = QStringLiteral("Confirm copy");
    MovePrompt = QStringLiteral("Confirm move");
    CountWord = QStringLiteral("file(s)");
    ZipOnlySaveText = QStringLiteral("Descriptions can be saved into ZIP archives only");
    FileMgrPage->CopyPrompt = QStringLiteral("Confirm copy");
    FileMgrPage->MovePrompt = QStringLiteral("Confirm move");
    FileMgrPage->CountWord = QStringLiteral("file(s)");
    // 9. The player (a missing decoder library has been reported; the program runs on without it).
    if (hooks.InitPlayer)
        hooks.InitPlayer(StartDir);
    // 10. The genre boxes, whether or not the player could be set up: an empty box would make the
    // next ID3v1 save overwrite the file's genre.
    if (hooks.FillGenres)
        hooks.FillGenres();
    return true;
}

void TMain::pgm_init() {
    const ProfileFile ini = ProfileFile::load(pathBytes(inStartDir(QStringLiteral("korvel.ini"))));
    LanguageName = QStringLiteral("default");
    if (hooks.SetLanguageFolder)
        hooks.SetLanguageFolder(StartDir);
    LanguageName = pathText(ini.value("International", "Language", "default"));
    if (LanguageName != QLatin1String("default") && hooks.ApplyLanguage)
        // A language stored with its folder (a file shipped beside the program) is taken as is.
        hooks.ApplyLanguage(QDir::isAbsolutePath(LanguageName) ? LanguageName : inStartDir(LanguageName));
}

// --- the ways out ---------------------------------------------------------------------------

void TMain::closeEvent(QCloseEvent* e) {
    if (Modified && Prompts::current().askYesNo(this, QStringLiteral("Confirm"),
                                                QStringLiteral("Save the changes before exit?"))) {
        if (!SaveChanges()) {
            e->ignore(); // nothing could be saved: stay, and ask again next time
            return;
        }
        Modified = false;
    }
    e->accept();
    emit ending();
    QCoreApplication::quit();
}

void TMain::Exit1Click() {
    close();
}

void TMain::Exitprogram1Click() {
    showNormal();
    emit ending();
    // Not quit(): that closes the windows, and closing this one asks the exit question.
    QCoreApplication::exit(0);
}

void TMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Queued: the window manager finishes the minimise before the window leaves the task bar.
    if (Tray && e->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(Tray, &MainTray::Minimize, Qt::QueuedConnection);
}

void TMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    centreOnFirstShow(*this, centred_);
}

// --- menus ----------------------------------------------------------------------------------

void TMain::M_FontClick() {
    auto pick = hooks.PickFont ? hooks.PickFont : [this](const QFont& f) { return fontDialog(this, f); };
    std::optional<QFont> f = pick(DIZEdit->font());
    if (!f)
        return;
    QFont font = *f;
    // The editor keeps to sizes that stay readable and fit the description's 80 columns.
    qreal pt = font.pointSizeF();
    if (pt <= 0)
        pt = font.pixelSize() * 72.0 / std::max(1, logicalDpiY());
    font.setPointSizeF(std::clamp<qreal>(pt, MinFontPoints, MaxFontPoints));
    DIZEdit->setFont(font);
}

void TMain::M_WWClick() {
    // The tick follows the item; the editor follows the tick.
    DIZEdit->setLineWrapMode(M_WW->isChecked() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    DIZEdit->setWordWrapMode(M_WW->isChecked() ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                               : QTextOption::NoWrap);
}

void TMain::Hiddenfiles1Click() {
    const unsigned ft = Hiddenfiles1->isChecked() ? (files::ftHidden | files::ftNormal) : 0u;
    LFile->setFileType(ft);
    LFileMgr->setFileType(ft);
}

void TMain::Customfile1Click() {
    if (hooks.ShowCustomFile)
        hooks.ShowCustomFile();
}

void TMain::Changelanguage1Click() {
    if (hooks.ShowLanguageChooser)
        hooks.ShowLanguageChooser();
}

void TMain::Cataloguefolder1Click() {
    if (hooks.CatalogueFolder && LFile->Directory() != QLatin1String("drives"))
        hooks.CatalogueFolder(LFile->Directory());
}

void TMain::About1Click() {
    if (hooks.ShowAbout)
        hooks.ShowAbout();
}

QString TMain::helpPagePath() {
    return korvel::helpPagePath();
}

void TMain::ManagingZIPfiles1Click() {
    openHelpPage(this, {}, &DefaultCommand::openUrl);
}

} // namespace korvel

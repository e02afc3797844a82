#pragma once
// TMain, the main window "Main": the view-style strip on the left, the three pages (ZIP and MP3
// info, Zip packer, File manager), the menus, and the state every part of the window shares
// (StartDir, CurrentFile, Modified, LanguageName, AllCustomCaption). Subsystems plug their work
// in through `hooks` before FormCreate runs.

#include "app/MainHooks.h"
#include "widgets/MFileExplorer.h"

#include <QMainWindow>
#include <QStringList>

class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;

namespace korvel {

class MainTray;
class TAboutBox;
class TDizPage;
class TFrmUnzip;
class TPackerPage;
class TFileManagerPage;
class VerticalCaption;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // The one main window of the program (the last one made).
    static TMain* instance();

    // --- shared state ---
    QString StartDir;    // working directory when start-up ran; the user's own files live here
    QString CurrentFile; // the archive or MP3 file picked last
    // The file whose description or tags the page shows (set by GetInfo). "Save info" writes
    // here: with "Auto view" released, CurrentFile may already name another file.
    QString ShownFile;
    bool Modified = false;
    QString LanguageName = QStringLiteral("default");
    QString AllCustomCaption = QStringLiteral("all custom files");
    QStringList MemberNames, ExtractNames; // archive listing and extraction
    // The file manager's question texts; a language file replaces them.
    QString CopyPrompt = QStringLiteral("Confirm copy");
    QString MovePrompt = QStringLiteral("Confirm move");
    QString CountWord = QStringLiteral("file(s)");
    // Told when "Save info" meets an archive other than ZIP; a language file replaces it.
    QString ZipOnlySaveText = QStringLiteral("Descriptions can be saved into ZIP archives only");
    // The tray side of the window and the About box (set by the tray's wiring; may be null).
    MainTray* Tray = nullptr;
    TAboutBox* AboutBox = nullptr;

    TMainHooks hooks;

    // --- start-up and shutdown ---
    // The start-up steps; false when the program must end.
    bool FormCreate();
    // Reads "korvel.ini" in StartDir and applies the language.
    void pgm_init();
    // StartDir + "/" + name.
    QString inStartDir(const QString& name) const;
    void Exit1Click();
    // Tray menu "End program": no question.
    void Exitprogram1Click();

    // --- pages and view styles ---
    void PaginaChange();
    void B_LargeClick();
    void B_SmallClick();
    void B_ListClick();
    void B_DetailClick();
    void FormResize();
    // The lists the view-style buttons act on: those of the page shown.
    QList<TMFileExplorer*> activeLists() const;

    // --- browser pane ---
    void B_updirClick();
    void CB_DriveMChange();
    void CBDirMChange();
    void LFileChange();
    void LFileClick();
    void LFileKeyUp(int key);
    void UpdateFolderHistory();
    // The unsaved-changes check before a new selection; false when the selection must stop.
    bool SettleChanges();
    // Saves the edit into ShownFile: tags when the audio panel shows, else the description.
    // False when the description's temporary file could not be made.
    bool SaveChanges();
    // "Save info": saves the edit into ShownFile and clears Modified.
    void B_SaveClick();
    void GetInfo(const QString& path);
    // "Extract...": shows the Extract dialog (not modal).
    void B_UnzipClick();

    // --- menus ---
    void M_FontClick();
    void M_WWClick();
    void Hiddenfiles1Click();
    void Customfile1Click();
    void Changelanguage1Click();
    // "Catalogue folder...": a catalogue of the browsed folder and everything below it.
    void Cataloguefolder1Click();
    void ManagingZIPfiles1Click();
    void About1Click();
    // The help page beside the program.
    static QString helpPagePath();

    // --- controls (names as in the form) ---
    QFrame* PanelMenu;
    QToolButton* B_Large;
    QToolButton* B_Small;
    QToolButton* B_List;
    QToolButton* B_Detail;
    QButtonGroup* ViewStyleButtons;
    VerticalCaption* MenuCaption;
    QTabWidget* Pagina;
    TDizPage* DIZPage;
    TPackerPage* PackPage;
    TFileManagerPage* FileMgrPage;
    // The browser pane and description area (on DIZPage).
    TMFileExplorer* LFile;
    QToolButton* B_UpDir;
    QComboBox* CB_DriveM;
    QComboBox* CBDirM;
    QGroupBox* Cornice;
    QPlainTextEdit* DIZEdit;
    QTabWidget* MP3Panel;
    QFrame* MPanel;
    QToolButton* B_autoview;
    QToolButton* B_Unzip;
    QToolButton* B_Save;
    // The Extract dialog (it registers itself when made).
    TFrmUnzip* FrmUnzip = nullptr;
    // The other pages' lists.
    TMFileExplorer* LFileMgr;
    TMFileExplorer* LeftPane;
    TMFileExplorer* RightPane;
    // Menus.
    QMenu* File1;
    QMenu* Options1;
    QMenu* Help1;
    QAction* Exit1;
    QAction* M_ExportPicture; // the description as a PNG picture of the DOS screen
    QAction* M_ExportText;    // the description as UTF-8 text
    QAction* M_Font;
    QAction* M_WW;
    QAction* Hiddenfiles1;
    QMenu* M_CodePage;     // one checkable item per code page, then M_DetectUtf8
    QAction* M_DetectUtf8; // read valid multi-byte UTF-8 as UTF-8 whatever the page
    QAction* M_RawText;    // an ANSI description as its raw text, to edit it
    QAction* Customfile1;
    QAction* Changelanguage1;
    QAction* Cataloguefolder1;
    QAction* ManagingZIPfiles1;
    QAction* About1;

signals:
    // The program is about to end (after the exit question was settled).
    void ending();

protected:
    void closeEvent(QCloseEvent* e) override;
    // A minimised window goes to the tray (when there is one).
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildMenus();
    void buildViewStrip();
    void setStyleOnActiveLists(TMFileExplorer::TViewStyle s);
    void updateMenuItems();

    bool centred_ = false;
};

} // namespace korvel

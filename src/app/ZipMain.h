#pragma once
// TMain, the main window "Main": the view-style strip on the left, the three pages (ZIP and MP3
// info, Zip packer, File manager) and the menus. The state every part of the window shares
// (StartDir, CurrentFile, Modified, LanguageName, AllCustomCaption) lives in MainWindowState, the
// face the subsystem windows see. Subsystems plug their work in through `hooks` before FormCreate
// runs.

#include "widgets/MFileExplorer.h"
#include "widgets/MainWindowState.h"

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
class TPackerPage;
class TFileManagerPage;
class VerticalCaption;

class TMain : public MainWindowState {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // --- the main window's own state (the shared state is in MainWindowState) ---
    // The file manager's question texts; a language file replaces them.
    QString CopyPrompt = QStringLiteral("Confirm copy");
    QString MovePrompt = QStringLiteral("Confirm move");
    QString CountWord = QStringLiteral("file(s)");
    // The tray side of the window and the About box (set by the tray's wiring; may be null).
    MainTray* Tray = nullptr;
    TAboutBox* AboutBox = nullptr;

    // --- start-up and shutdown ---
    // The start-up steps; false when the program must end.
    bool FormCreate();
    // Reads "korvel.ini" in StartDir and applies the language.
    void pgm_init();
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
    bool SaveChanges() override;
    // "Save info": saves the edit into ShownFile and clears Modified.
    void B_SaveClick();
    void GetInfo(const QString& path) override;
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
    // The other pages' lists.
    TMFileExplorer* LFileMgr;
    TMFileExplorer* LeftPane;
    TMFileExplorer* RightPane;
    // Menus.
    QMenu* File1;
    QMenu* Options1;
    QMenu* Help1;
    QAction* Exit1;
    QAction* M_Font;
    QAction* M_WW;
    QAction* Hiddenfiles1;
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

#pragma once
// The main window "Main" as the subsystem windows see it: the state every part shares, the hooks
// they plug their work into, the controls they fill, and the few calls they make. TMain
// implements it; a subsystem window knows this class only, never TMain.

#include "widgets/MainHooks.h"

#include <QMainWindow>
#include <QStringList>

class QAction;
class QDialog;
class QMenu;

namespace korvel {

class TDizPage;

class MainWindowState : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindowState(QWidget* parent = nullptr);
    ~MainWindowState() override;

    // The one main window of the program (the last one made); null once it is being destroyed.
    static MainWindowState* instance();

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
    // Told when "Save info" meets an archive other than ZIP; a language file replaces it.
    QString ZipOnlySaveText = QStringLiteral("Descriptions can be saved into ZIP archives only");

    TMainHooks hooks;

    // --- what the subsystems fill or read (made by the main window) ---
    // The first page: the browser pane LFile and the description area the description and audio
    // windows fill.
    TDizPage* DIZPage = nullptr;
    // The description's items of the Options menu.
    QMenu* M_CodePage = nullptr;        // one checkable item per code page, then M_DetectUtf8
    QAction* M_DetectUtf8 = nullptr;    // read valid multi-byte UTF-8 as UTF-8 whatever the page
    QAction* M_RawText = nullptr;       // an ANSI description as its raw text, to edit it
    QAction* M_ExportPicture = nullptr; // the description as a PNG picture of the DOS screen
    QAction* M_ExportText = nullptr;    // the description as UTF-8 text
    // The Extract dialog (it registers itself when made).
    QDialog* FrmUnzip = nullptr;

    // --- calls ---
    // StartDir + "/" + name.
    QString inStartDir(const QString& name) const;
    // Shows the description or the tags of the file.
    virtual void GetInfo(const QString& path) = 0;
    // Saves the edit into ShownFile: tags when the audio panel shows, else the description.
    // False when the description's temporary file could not be made.
    virtual bool SaveChanges() = 0;
};

} // namespace korvel

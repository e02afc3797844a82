#pragma once
// TFrmUnzip, the Extract dialog "FrmUnzip": lists the members of the archive selected in the
// browser pane and extracts all of them, or the selected rows, into the folder in T_Dir. Not
// modal; made once with the program and only shown and hidden afterwards. Its right-hand part
// (engine options and the folder view Ltree) lies beyond the narrow width and shows when
// "Options >>" is down.

#include <QDialog>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace korvel {

class MainWindowState;
class TMFileExplorer;
class TFrmWaitZip;
struct ExtractFlags;

class TFrmUnzip : public QDialog {
    Q_OBJECT
public:
    static constexpr int NarrowWidth = 407;
    static constexpr int WideWidth = 631;

    // main: the window whose browser pane names the archive and which keeps MemberNames and
    // ExtractNames; may be null (tests), then SelectedArchives must be set.
    explicit TFrmUnzip(MainWindowState* main, QWidget* parent = nullptr);
    ~TFrmUnzip() override;

    // The browser pane's selected file names (joined by ";"); by default main's LFile.
    std::function<QString()> SelectedArchives;
    // The busy window shown around an extraction (the program's FrmWaitZip); when null a busy
    // window is made for each run.
    TFrmWaitZip* WaitWindow = nullptr;

    // Lists `archive` into FilesList and MemberNames. Reports nothing; an unreadable archive
    // leaves both empty.
    void Get_Contents(const QString& archive);
    // Extracts every listed member (all) or those of the selected rows into T_Dir, under the
    // busy window. Problems are reported once, after the run.
    void UnZip_SelectedFiles(const QString& archive, bool all);

    // The member names of the last listing and of the last extraction (main's lists when there
    // is a main window).
    QStringList& MemberNames();
    QStringList& ExtractNames();

    // Handlers.
    void FormShow();
    void B_OptionsClick();
    void B_AbortClick();
    void B_UnzipClick();
    // A folder chosen in Ltree (clicked, or opened) becomes the destination.
    void LtreeClick();
    void LtreeChange();

    // Controls.
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QListWidget* FilesList;
    QLineEdit* T_Dir;
    QPushButton* B_Options;
    QGroupBox* GroupBox1;
    QCheckBox* chExtractOnlyNewer;
    QCheckBox* chUFlag;
    QCheckBox* chOFlag;
    QCheckBox* chC_flag;
    QCheckBox* chDFlag;
    QRadioButton* R_all;
    QRadioButton* R_sel;
    QPushButton* B_Abort;
    QPushButton* B_Unzip;
    TMFileExplorer* Ltree;

    // The fixed-pitch font of FilesList: 13 pixels high (rows are 16 pixels).
    static QFont listFont();
    // A member name as a pattern that matches that name only (the engine reads "*", "?" and
    // "[" as wildcards).
    static QString literalPattern(const QString& memberName);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void layoutHeadings();
    void fitGroupTitle();
    void setDialogWidth(int w);
    ExtractFlags flags() const;
    void reportProblems(const QString& archive, const QString& destination, int result,
                        const QStringList& problems);
    // Archives other than ZIP (7-Zip, RAR, LHA, CAB, ISO, tar ...) go through the archive reader
    // (ZipUnzipReader.cpp); these answer false for a ZIP, which the unzip engine handles.
    bool listWithReader(const QString& archive);
    bool extractWithReader(const QString& archive, const QString& destination, bool all);

    MainWindowState* main_;
    QStringList memberNames_, extractNames_; // when there is no main window
    QString listedArchive_;                  // the archive MemberNames came from
    std::vector<std::string> listedBytes_;   // the reader's member names as stored, row by row
    bool centred_ = false;
};

} // namespace korvel

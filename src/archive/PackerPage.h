#pragma once
// The second page of the main window, "Zip packer": files dragged from the file list LFileMgr
// (with its Up button SBLFM, drive box CB_DriveC and folder box with history CBDirC) are dropped
// onto the packer list ListaZip (step 1), the archive is named in edtZipFileName (step 2), and
// "Zip!" has the zip engine add every listed file to it under the options the engine holds
// (step 3).

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QToolButton;
class QVBoxLayout;

namespace korvel {

class TMFileExplorer;
class TFrmWaitZip;

class TPackerPage : public QWidget {
    Q_OBJECT
public:
    explicit TPackerPage(QWidget* parent = nullptr);

    // Where the archive goes unless the user names another: "zipped.zip" in the home folder.
    static QString defaultArchivePath();
    // The save dialog's rule: a name without an extension gets ".zip".
    static QString withZipExtension(const QString& fileName);

    QVBoxLayout* PageLayout; // top to bottom: the step 1 labels, Splitter2, the steps 2 and 3
    QLabel* Lstep1;
    QLabel* Ldrag;
    QLabel* Ldrop;
    QSplitter* Splitter2; // left: PanelLFM; right: ListaZip
    QFrame* PanelLFM;
    QToolButton* SBLFM;
    QComboBox* CB_DriveC;
    QComboBox* CBDirC;
    TMFileExplorer* LFileMgr;
    QListWidget* ListaZip;
    QLabel* Lstep2;
    QLineEdit* edtZipFileName;
    QPushButton* btnSaveTo;
    QPushButton* B_ZipOpt;
    QLabel* Lstep3;
    QPushButton* B_ZipThem;

    // The save dialog ("Compressed files (*.zip)"); tests answer it. nullopt: cancelled.
    std::function<std::optional<QString>(const QString& start)> SaveDialog;
    // "Options...": the zip options dialog, opened by the main window. Empty: nothing happens.
    std::function<void()> ShowZipOptions;
    // The busy window shown while packing (the program's FrmWaitZip); when null a busy window is
    // made for each run.
    TFrmWaitZip* WaitWindow = nullptr;

    // Adds every file of `names` to `archive` under the options the zip engine holds. A blank
    // archive path or an empty list does nothing; a failure is reported once, after the run.
    void Zip_Files(const QString& archive, const QStringList& names);
    // The rows of ListaZip, in order.
    QStringList listedFiles() const;

    // Handlers.
    void SBLFMClick();
    void CB_DriveCChange();
    void CBDirCChange();
    // Any click in LFileMgr keeps the folder history.
    void LFileMgrClick();
    // Whether a drag may be dropped on ListaZip: it must come from one of the file list views.
    bool ListaZipDragOver(const TMFileExplorer* source) const;
    void ListaZipDragDrop(const TMFileExplorer* source);
    void ListaZipKeyDown(int key);
    void btnSaveToClick();
    void B_ZipOptClick();
    void B_ZipThemClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace korvel

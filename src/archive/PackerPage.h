#pragma once
// The second page of the main window, "Zip packer": on the left the file list LFileMgr with its
// Up button (SBLFM), drive box (CB_DriveC) and folder box with history (CBDirC). The packer list,
// the archive name and the Zip! button join the page in Splitter2 and PageLayout.

#include <QWidget>

class QComboBox;
class QFrame;
class QSplitter;
class QToolButton;
class QVBoxLayout;

namespace korvel {

class TMFileExplorer;

class TPackerPage : public QWidget {
    Q_OBJECT
public:
    explicit TPackerPage(QWidget* parent = nullptr);

    QVBoxLayout* PageLayout; // top to bottom: Splitter2 (stretching); add the steps around it
    QSplitter* Splitter2;    // left: PanelLFM; the packer list goes on its right
    QFrame* PanelLFM;
    QToolButton* SBLFM;
    QComboBox* CB_DriveC;
    QComboBox* CBDirC;
    TMFileExplorer* LFileMgr;

    void SBLFMClick();
    void CB_DriveCChange();
    void CBDirCChange();
    // Any click in LFileMgr keeps the folder history.
    void LFileMgrClick();
};

} // namespace korvel

#pragma once
// The third page of the main window, "File manager": two file lists side by side, each with an
// Up button, a drive box and a folder box with history, and a bar marking the active pane. The
// command strip PanCommand at the bottom takes the Copy, Move and Delete buttons.

#include <QWidget>

class QComboBox;
class QFrame;
class QSplitter;
class QToolButton;

namespace korvel {

class TMFileExplorer;

class TFileManagerPage : public QWidget {
    Q_OBJECT
public:
    explicit TFileManagerPage(QWidget* parent = nullptr);

    QFrame* PanelLeft;
    QFrame* PanLeft;
    QToolButton* UpdirL;
    QComboBox* CB_DriveL;
    QComboBox* CBDirL;
    QFrame* ShapeLeft;
    TMFileExplorer* LeftPane;
    QSplitter* Splitter3;
    QFrame* PanelRight;
    QFrame* PanRight;
    QToolButton* UpDirR;
    QComboBox* CB_DriveR;
    QComboBox* CBDirR;
    QFrame* ShapeRight;
    TMFileExplorer* RightPane;
    QFrame* PanCommand;

    // Dialog texts of the page (a language file replaces them).
    QString CopyPrompt = QStringLiteral("Confirm copy");
    QString MovePrompt = QStringLiteral("Confirm move");
    QString CountWord = QStringLiteral("file(s)");

    void CB_DriveLChange();
    void CB_driveRChange();
    void CBDirLChange();
    void CBDirRChange();
    void UpdirLClick();
    void UpDirRClick();
    void LeftPaneChange();
    void RightPaneChange();
    // The left pane takes half of the page, less the splitter's share.
    void FormResize();

protected:
    void resizeEvent(QResizeEvent* e) override;
};

} // namespace korvel

#pragma once
// The third page of the main window, "File manager": two file lists side by side, each with an
// Up button, a drive box and a folder box with history, and a bar marking the active pane. The
// command strip PanCommand at the bottom holds Copy, Move and Delete, which act from the pane
// that has the keyboard focus towards the other one through the file operation component AMH1.

#include <QWidget>

#include <functional>

class QComboBox;
class QFrame;
class QSplitter;
class QToolButton;

namespace korvel {

class TAMHFileOp;
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
    QToolButton* B_Copy;
    QToolButton* B_Move;
    QToolButton* B_Delete;
    // The file operation every command fills and runs.
    TAMHFileOp* AMH1;

    // Dialog texts of the page, used unless promptTexts is set.
    QString CopyPrompt = QStringLiteral("Confirm copy");
    QString MovePrompt = QStringLiteral("Confirm move");
    QString CountWord = QStringLiteral("file(s)");
    struct PromptTexts {
        QString copyPrompt, movePrompt, countWord;
    };
    // Where the question texts come from: the main window keeps them (a language file replaces
    // them there).
    std::function<PromptTexts()> promptTexts;

    void CB_DriveLChange();
    void CB_driveRChange();
    void CBDirLChange();
    void CBDirRChange();
    void UpdirLClick();
    void UpDirRClick();
    void LeftPaneChange();
    void RightPaneChange();
    void LeftPaneEnter();
    void RightPaneEnter();
    void ShapeLeftMouseDown();
    void ShapeRightMouseDown();
    // A drag from a file list view may be dropped on either pane.
    void LeftPaneDragOver(TMFileExplorer* source, bool* accept);
    void RightPaneDragOver(TMFileExplorer* source, bool* accept);
    // A drop copies the other pane's selection into the pane dropped on.
    void LeftPaneDragDrop();
    void RightPaneDragDrop();
    void LeftPaneKeyDown(int key);
    void RightPaneKeyDown(int key);
    void B_CopyClick();
    void B_MoveClick();
    void B_DeleteClick();
    // The left pane takes half of the page, less the splitter's share.
    void FormResize();

    // The pane that has the keyboard focus, or nullptr.
    TMFileExplorer* focusedPane() const;
    // The pane whose bar is drawn active, or nullptr.
    TMFileExplorer* activePane() const { return active_; }
    // The bar colours: the active and the inactive caption colour.
    static QColor activeBarColour();
    static QColor inactiveBarColour();

signals:
    // A pane was listed again after a command.
    void paneRelisted(korvel::TMFileExplorer* pane);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Command { Copy, Move, Delete };
    TMFileExplorer* otherPane(const TMFileExplorer* pane) const;
    void setActive(TMFileExplorer* pane);
    // Copy or move the focused pane's selection into the other pane's folder.
    void transfer(Command command);
    void deleteFrom(TMFileExplorer* pane);
    void dropOnto(TMFileExplorer* target);
    // False, with the user told why, when the selection of source cannot go to destination
    // (destination nullptr for a delete).
    bool allowed(Command command, const TMFileExplorer* source, const TMFileExplorer* destination);
    // Fills AMH1 and runs it; false when another command is still running.
    bool run(Command command, const TMFileExplorer* source, const TMFileExplorer* destination);
    void relist(TMFileExplorer* pane);
    // "Confirm copy 3 file(s)?" ("Confirm move ..." for a move).
    QString question(Command command, int count) const;

    TMFileExplorer* active_ = nullptr;
    bool busy_ = false;
};

} // namespace korvel

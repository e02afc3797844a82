#pragma once
// The description area of the main window at work: the lookup behind the choice buttons, "Auto
// view", "View" and the custom menu (ViewInfo, GestCust), the editing keys of DIZEdit, and the
// save into the archive ("Save info", and the saves asked for by "Save the changes ?" and
// "Save the changes before exit?"). It plugs itself into the main window's hooks and buttons.

#include "engineclient/DescriptionEngine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <filesystem>
#include <functional>

class QAction;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace korvel {

class MainWindowState;
class DescriptionDisplay;
class TCustom_ext;

class DescriptionController : public QObject {
    Q_OBJECT
public:
    // Installs the ViewInfo and Embed hooks and connects the description buttons of `main`.
    explicit DescriptionController(MainWindowState& main);

    // Where the embedding level comes from: the zip options dialog's level box (level '6' without
    // one). The packer's dialog is handed in by whoever assembles the windows.
    void setEmbeddingLevel(std::function<char()> level) { embeddingLevel_ = std::move(level); }
    // The custom file dialog: its list feeds the lookup, it builds CustMenu, and "Custom file..."
    // shows it. Call before its FormCreate.
    void setCustomFile(TCustom_ext* custom);
    // Where the temporary text file of a save is made (the system's temporary folder when empty).
    void setTempBase(const std::filesystem::path& base) { tempBase_ = base; }

    // Whether a key pressed in DIZEdit marks the description as changed: Backspace, Enter,
    // Space, Delete, digits, letters, the numeric keypad's digits and operators, and the
    // backslash key, whatever Shift, Ctrl or Alt do. Punctuation and cursor keys do not.
    static bool isEditingKey(int key, Qt::KeyboardModifiers modifiers);

    // The lookup for the archive at `path` in the mode of the choice buttons.
    void ViewInfo(const QString& path);
    // The mode of the choice buttons, the custom caption and list: what ViewInfo looks up with
    // (and the catalogue too), for the archive at `path`.
    LookupRequest lookupSettings(const QString& path = {}) const;
    // A custom menu entry was chosen: B_Custom takes its name, and the view is looked up again.
    void GestCust(QAction* entry);
    void DIZEditKeyDown(QKeyEvent* key);
    void B_SaveClick();
    void B_viewClick();
    // Stores the editor's bytes (in the code page they were read in, the SAUCE tail unchanged)
    // into `archive` as `member`; false when the temporary text file could not be made, the
    // text holds a character the code page lacks, or the archive is not a ZIP ("Descriptions can
    // be saved into ZIP archives only"): then nothing was tried and the caller must stop, keeping
    // the edit. Every failure has been told to the user; lastEmbed() says what happened.
    bool Embed(const QString& archive, const QString& member);
    const EmbedOutcome& lastEmbed() const { return last_; }
    // Code page, SAUCE fields, the picture of an ANSI description and the exports.
    DescriptionDisplay& display() { return *display_; }
    // Whether the description shown is only the beginning of its member (over the engine's
    // print bound): the editor is read-only, a note says why, and nothing is saved.
    bool descriptionCut() const { return cut_; }

    // The member the caption of Cornice names (what a save writes), and setting it.
    QString captionMember() const;
    void setCaptionMember(const QString& member);
    // The custom name B_Custom stands for: the menu entry's name, or the button's caption.
    QString customCaption() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SearchMode currentMode() const;
    void showCut(bool cut);

    MainWindowState& main_;
    std::function<char()> embeddingLevel_;
    TCustom_ext* custom_ = nullptr;
    std::filesystem::path tempBase_;
    EmbedOutcome last_;
    DescriptionDisplay* display_;
    bool notZip_ = false; // the last save met an archive only the reader reads
    QPointer<QPlainTextEdit> editor_;
    QPointer<QToolButton> customButton_;
    QPointer<QWidget> audioPanel_;
    QLabel* cutNote_ = nullptr;
    bool cut_ = false;
};

} // namespace korvel

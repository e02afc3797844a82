#pragma once
// How the description area shows a description: in the code page of the Options menu (kept in
// "korvel.ini"), with its SAUCE fields over the text, and an ANSI description as the drawn DOS
// screen (read-only) until "Show raw text" puts its raw text, escape characters visible, in the
// editor. It hands back the bytes a save stores: the editor's text in the page it was read in,
// followed by the SAUCE tail exactly as it came. And it exports the description as a PNG picture
// or as UTF-8 text.

#include "core/render/CodePage.h"
#include "core/render/DescriptionRender.h"
#include "core/render/PsfFont.h"
#include "core/render/ViewSetting.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QAction;

namespace korvel {

class MainWindowState;

class DescriptionDisplay : public QObject {
    Q_OBJECT
public:
    // Fills the code page menu of `main` and handles its description items.
    explicit DescriptionDisplay(MainWindowState& main);

    // Shows the bytes of a description (read from korvel.ini the first time: the code page).
    void showDescription(std::string_view bytes);

    // The bytes to store for what the editor holds. Nothing when the editor holds a character the
    // page lacks: the user has been told which, and nothing must be saved.
    std::optional<std::string> bytesToStore();

    // The page the text on screen was read in, and the user's choice.
    CodePage pageInUse() const { return page_; }
    const ViewSetting& setting() const;
    // A new choice (the menu's items call these); stored in korvel.ini. An edited text is
    // carried over as the bytes it stands for; when the old page cannot give them, the choice
    // is refused and the user told.
    void chooseCodePage(CodePage page);
    void chooseDetectUtf8(bool on);
    // Raw text in the editor (true) or the picture of an ANSI description (false).
    void showRawText(bool raw);
    bool pictureShown() const;

    // Writes the picture or the UTF-8 text of the description on screen; false (the user told)
    // when it cannot be written or no console font is found.
    bool exportPicture(const QString& path);
    bool exportText(const QString& path);
    void M_ExportPictureClick();
    void M_ExportTextClick();

    // The save dialog of the export items (title, suggested file, filter); an empty answer
    // cancels. Tests replace it.
    std::function<QString(const QString&, const QString&, const QString&)> askSavePath;

private:
    void loadSetting() const;
    void storeSetting();
    void render();
    void syncMenu();
    std::optional<std::string> currentBytes(bool tell);
    void changeReading(const std::function<void()>& change);
    DescriptionLayout exportLayout(std::string_view bytes) const;
    bool writeExport(const QString& path, const std::string& bytes);
    const PsfFont* font();
    QString exportBaseName() const;

    MainWindowState& main_;
    mutable ViewSetting setting_;
    mutable bool settingLoaded_ = false;
    CodePage page_ = CodePage::Cp437;
    std::string text_; // the text part as last shown (the editor may have changed since)
    std::string tail_; // the SAUCE tail, written back unchanged
    std::string sauceLines_;
    DescriptionLayout layout_; // of text_ + tail_ as shown
    std::string shown_;        // the bytes layout_ points into
    bool ansi_ = false;
    bool fontTried_ = false;
    std::unique_ptr<PsfFont> font_;
    QList<QAction*> pageItems_;
};

} // namespace korvel

#pragma once
// Puts the texts of a language file on the windows. Every target of the key table is found by
// objectName: the window among the windows given, the control anywhere inside it (widgets,
// menus, menu items). A control takes the text the way a person sees it: a button's, label's or
// menu item's text, a group box's or menu's title, the tab text of a tab page, a window's title.

#include "core/lang/LanguageFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QObject;
class QWidget;

namespace korvel {

// The texts that are not captions; each is set only when its key was reached.
struct SpecialTexts {
    std::optional<QString> allCustomCaption;
    std::optional<QString> copyPrompt;
    std::optional<QString> movePrompt;
    std::optional<QString> countWord;
    std::optional<QString> zipOnlySave;

    bool any() const { return allCustomCaption || copyPrompt || movePrompt || countWord || zipOnlySave; }
};

struct LanguageResult {
    bool ok = true;
    SpecialTexts specials;
    // When not ok: the key that could not be applied ("Zip options/7") and its target
    // ("FrmZipOpt.chGrow"); everything before it was applied, nothing after it.
    QString failedKey;
    QString failedTarget;
};

// The message shown when a language file cannot be applied.
inline constexpr const char* LanguageErrorText = "Err language file; default English";

// Reads the language file at path and applies it to windows, under the hourglass. A missing or
// unreadable file applies the built-in texts. When a target cannot be found or cannot take a
// text, applying stops there and "Err language file; default English" is reported through the
// prompts (parented to messageParent).
LanguageResult ApplyLanguage(const QString& path, const QList<QWidget*>& windows,
                             QWidget* messageParent = nullptr);

// The same for texts already read; no cursor, no message.
LanguageResult applyAssignments(const std::vector<lang::Assignment>& assignments,
                                const QList<QWidget*>& windows);

// Every target of the key table that is missing from windows or shows no text, as
// "Window.Control" or "Window title": empty when every key can reach its control.
QStringList missingLanguageTargets(const QList<QWidget*>& windows);

// The window among windows with that objectName, or nullptr.
QWidget* findWindow(const QList<QWidget*>& windows, const QString& name);
// The object inside window with that objectName, menu items included, or nullptr.
QObject* findControl(QWidget* window, const QString& name);
// True when obj shows a caption a language can set.
bool takesCaption(QObject* obj);
// Gives obj the caption text; false for an object that shows no caption.
bool setCaption(QObject* obj, const QString& text);

} // namespace korvel

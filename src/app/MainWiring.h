#pragma once
// How the language chooser, the tray and the About box plug into the main window. main.cpp calls
// these in the order the windows are made; tests call them on a real main window.

#include "platform/TrayIcon.h"

#include <QList>
#include <functional>
#include <memory>

class QWidget;

namespace korvel {

class TAboutBox;
class TLangForm;
class TMain;

// The windows a language reaches: the main window and every other window of the program the key
// table names that exists now (found by objectName), the language chooser among them.
QList<QWidget*> languageWindows(TMain& main);

// Once the chooser exists (before pgm_init): the chooser's folder and ApplyLanguage for pgm_init,
// "Change language..." opening the chooser modally, and the texts that are no captions
// (AllCustomCaption, the file manager's three question texts) going to the main window each time
// a language is applied.
void wireLanguage(TMain& main, TLangForm* langForm);

// Before FormCreate: the minimise handler puts the window into the tray `makeIcon` gives (the
// desktop's system tray unless a test gives another); "End program" ends without the question.
using TrayIconFactory = std::function<std::unique_ptr<TrayIcon>()>;
void wireTray(TMain& main, TrayIconFactory makeIcon = makeSystemTrayIcon);
// Once the About box exists: Help, "About..." and the tray's "About Korvel..." show it.
void joinAboutBox(TMain& main, TAboutBox* aboutBox);

} // namespace korvel

#pragma once
// The program's windows, made once in their fixed order and kept until the end: Main, FrmUnzip,
// FrmZipOpt, LangForm, FrmWaitZip, Custom_ext, AboutBox. main() and the tests that need the whole
// program build it the same way.

#include "app/MainWiring.h"
#include "app/ZipMain.h"

#include <memory>

namespace korvel {

class DescriptionController;
class TAboutBox;
class TCatalogue;
class TCustom_ext;
class TFrmUnzip;
class TFrmWaitZip;
class TFrmZipOpt;
class TLangForm;

class KorvelProgram {
public:
    // Makes the main window and installs every subsystem's hooks into it; `makeTrayIcon` is the
    // desktop's tray unless a test gives another.
    explicit KorvelProgram(TrayIconFactory makeTrayIcon = makeSystemTrayIcon);
    ~KorvelProgram();
    KorvelProgram(const KorvelProgram&) = delete;
    KorvelProgram& operator=(const KorvelProgram&) = delete;

    // The main window's start-up, then the other windows in order; Custom_ext's creation reads
    // the settings, applies the language and builds the custom menu. False when the program must
    // end (the start-up check has told the user why).
    bool start();

    TMain Main;
    DescriptionController* descriptions = nullptr; // owned by Main
    std::unique_ptr<TFrmUnzip> FrmUnzip;
    std::unique_ptr<TFrmZipOpt> FrmZipOpt;
    TLangForm* LangForm = nullptr; // owned by Main
    std::unique_ptr<TFrmWaitZip> FrmWaitZip;
    std::unique_ptr<TCustom_ext> Custom_ext;
    TAboutBox* AboutBox = nullptr;   // owned by Main
    TCatalogue* Catalogue = nullptr; // owned by Main; "Catalogue folder..."

private:
};

} // namespace korvel

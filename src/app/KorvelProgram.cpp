#include "app/KorvelProgram.h"

#include "app/QuarnAbout.h"
#include "archive/PackerPage.h"
#include "archive/ZipOptZ.h"
#include "archive/ZipUnzip.h"
#include "archive/ZipWait.h"
#include "audio/AudioHooks.h"
#include "catalog/CatalogueWindow.h"
#include "description/Cust_ext.h"
#include "description/DescriptionController.h"
#include "engineclient/Engines.h"
#include "engineclient/Zip32.h"
#include "lang/ZipLang.h"
#include "platform/Prompts.h"

#include <QApplication>

namespace korvel {

KorvelProgram::KorvelProgram(TrayIconFactory makeTrayIcon) {
    // The subsystems install their hooks before the main window's start-up runs.
    // Both engines are checked at start: the program does not run without either of them.
    Main.hooks.CheckZipDll = [this] {
        try {
            std::string why;
            if (!Check_ZipDllVersion() || !Check_UnzipDll())
                return false;
            if (!Engines::load(&why))
                throw ZipDllError(why);
            return true;
        } catch (const ZipDllError& e) {
            Prompts::current().showError(&Main, QApplication::applicationName(),
                                         QString::fromStdString(e.message()));
            return false;
        }
    };
    descriptions = new DescriptionController(Main);
    installAudio(Main);
    Catalogue = new TCatalogue(&Main);
    Main.hooks.CatalogueFolder = [this](const QString& folder) {
        Catalogue->catalogueFolder(folder, descriptions->lookupSettings());
    };
    wireTray(Main, std::move(makeTrayIcon));
}

KorvelProgram::~KorvelProgram() = default;

bool KorvelProgram::start() {
    if (!Main.FormCreate())
        return false;

    // 2. The Extract dialog.
    FrmUnzip = std::make_unique<TFrmUnzip>(&Main);
    // 3. The zip options, opened by the packer page's "Options...".
    FrmZipOpt = std::make_unique<TFrmZipOpt>(&Main);
    TFrmZipOpt* options = FrmZipOpt.get();
    descriptions->setEmbeddingLevel([options] { return options->levelForEmbedding(); });
    Main.PackPage->ShowZipOptions = [options] { options->B_ZipOptClick(); };
    // 4. The language chooser.
    LangForm = new TLangForm(&Main);
    wireLanguage(Main, LangForm);
    // 5. The busy window, shown around extraction and packing.
    FrmWaitZip = std::make_unique<TFrmWaitZip>(&Main);
    FrmUnzip->WaitWindow = FrmWaitZip.get();
    Main.PackPage->WaitWindow = FrmWaitZip.get();
    // 6. Custom_ext: its creation reads the settings and applies the language once every window
    //    above exists, then builds the custom menu.
    Custom_ext = std::make_unique<TCustom_ext>(&Main);
    descriptions->setCustomFile(Custom_ext.get());
    Main.pgm_init();
    Custom_ext->FormCreate();
    // 7. The About box.
    AboutBox = new TAboutBox(&Main);
    joinAboutBox(Main, AboutBox);
    return true;
}

} // namespace korvel

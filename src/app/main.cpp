// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/MainWiring.h"
#include "app/QuarnAbout.h"
#include "app/ScreenshotHook.h"
#include "app/ZipMain.h"
#include "archive/ArchiveDemo.h"
#include "archive/PackerPage.h"
#include "archive/ZipOptZ.h"
#include "archive/ZipUnzip.h"
#include "archive/ZipWait.h"
#include "audio/AudioHooks.h"
#include "description/Cust_ext.h"
#include "description/DescriptionController.h"
#include "lang/ZipLang.h"
#include "platform/ProgramIcon.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {

// bench/: with KORVEL_BENCH_FOLDER set, the browser shows that folder (KORVEL_BENCH_STYLE=report
// for the details view), paints it, prints the peak memory of the process and ends.
void benchmarkHook(korvel::TMain& main) {
    const QString folder = qEnvironmentVariable("KORVEL_BENCH_FOLDER");
    if (folder.isEmpty())
        return;
    if (qEnvironmentVariable("KORVEL_BENCH_STYLE") == QLatin1String("report"))
        main.LFile->setViewStyle(korvel::TMFileExplorer::vsReport);
    main.LFile->setDirectory(folder);
    QTimer::singleShot(500, &main, [&main] {
        main.grab(); // everything painted once
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmHWM") || line.startsWith("VmRSS"))
                    std::printf("%s\n", line.simplified().constData());
        std::printf("rows %d\n", main.LFile->rowCount());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel 2002"));
    QApplication::setOrganizationName(QStringLiteral("Korvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
    QApplication::setWindowIcon(korvel::programIcon());

    // 1. Main. The subsystems install their hooks into Main.hooks here, before its start-up runs.
    korvel::TMain Main;
    auto* descriptions = new korvel::DescriptionController(Main); // owned by Main
    korvel::wireTray(Main);
    korvel::installAudio(Main);
    if (!Main.FormCreate())
        return 1;

    // 2. The Extract dialog.
    korvel::TFrmUnzip FrmUnzip(&Main);
    // 3. FrmZipOpt, opened by the packer page's "Options...".
    korvel::TFrmZipOpt FrmZipOpt(&Main);
    descriptions->setZipOptions(&FrmZipOpt);
    Main.PackPage->ShowZipOptions = [&FrmZipOpt] { FrmZipOpt.B_ZipOptClick(); };
    // 4. LangForm.
    auto* LangForm = new korvel::TLangForm(&Main);
    korvel::wireLanguage(Main, LangForm);
    // 5. The busy window, shown around extraction and packing.
    korvel::TFrmWaitZip FrmWaitZip(&Main);
    FrmUnzip.WaitWindow = &FrmWaitZip;
    Main.PackPage->WaitWindow = &FrmWaitZip;
    // 6. Custom_ext: its creation reads the settings and applies the language once every window
    //    above exists, then builds the custom menu.
    korvel::TCustom_ext Custom_ext(&Main);
    descriptions->setCustomFile(&Custom_ext);
    Main.pgm_init();
    Custom_ext.FormCreate();
    // 7. AboutBox.
    auto* AboutBox = new korvel::TAboutBox(&Main);
    korvel::joinAboutBox(Main, AboutBox);

    Main.show();
    benchmarkHook(Main);
    // docs/: with KORVEL_SHOW_ARCHIVE set, the browser opens that archive's folder and shows it.
    if (const QString shown = qEnvironmentVariable("KORVEL_SHOW_ARCHIVE"); !shown.isEmpty()) {
        Main.LFile->setDirectory(QFileInfo(shown).absolutePath());
        Main.CurrentFile = QFileInfo(shown).absoluteFilePath();
        Main.GetInfo(Main.CurrentFile);
    }
    korvel::archiveDemoHook(Main);
    korvel::screenshotHook(Main);
    return QApplication::exec();
}

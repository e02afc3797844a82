// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/ZipMain.h"
#include "archive/ZipOptZ.h"
#include "description/Cust_ext.h"
#include "description/DescriptionController.h"

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

    // 1. Main. The subsystems install their hooks into Main.hooks here, before its start-up runs.
    korvel::TMain Main;
    auto* descriptions = new korvel::DescriptionController(Main); // owned by Main
    if (!Main.FormCreate())
        return 1;

    // 2.-7. FrmUnzip, FrmZipOpt, LangForm, FrmWaitZip, Custom_ext and AboutBox follow in this
    // order as they join the program.
    korvel::TFrmZipOpt FrmZipOpt(&Main);
    descriptions->setZipOptions(&FrmZipOpt);
    korvel::TCustom_ext Custom_ext(&Main);
    descriptions->setCustomFile(&Custom_ext);
    // Custom_ext's creation reads the settings and applies the language, then builds the menu.
    Main.pgm_init();
    Custom_ext.FormCreate();

    Main.show();
    benchmarkHook(Main);
    // docs/: with KORVEL_SHOW_ARCHIVE set, the browser opens that archive's folder and shows it.
    if (const QString shown = qEnvironmentVariable("KORVEL_SHOW_ARCHIVE"); !shown.isEmpty()) {
        Main.LFile->setDirectory(QFileInfo(shown).absolutePath());
        Main.CurrentFile = QFileInfo(shown).absoluteFilePath();
        Main.GetInfo(Main.CurrentFile);
    }
    return QApplication::exec();
}

// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/ScreenshotHook.h"
#include "app/ZipMain.h"
#include "audio/AudioHooks.h"

#include <QApplication>
#include <QFile>
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
    korvel::installAudio(Main);
    if (!Main.FormCreate())
        return 1;

    // 2.-7. FrmUnzip, FrmZipOpt, LangForm, FrmWaitZip, Custom_ext and AboutBox follow in this
    // order as they join the program. Custom_ext's creation reads the settings and applies the
    // language; until it exists, that happens here.
    Main.pgm_init();

    Main.show();
    benchmarkHook(Main);
    korvel::screenshotHook(Main);
    return QApplication::exec();
}

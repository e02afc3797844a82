// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/ArchiveDemo.h"
#include "app/KorvelApplication.h"
#include "app/KorvelProgram.h"
#include "app/ScreenshotHook.h"
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
    korvel::KorvelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel 2002"));
    QApplication::setOrganizationName(QStringLiteral("Korvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
    QApplication::setWindowIcon(korvel::programIcon());

    korvel::KorvelProgram program;
    try {
        if (!program.start())
            return 1;
    } catch (const std::exception& e) {
        korvel::KorvelApplication::showEscapedError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    korvel::TMain& Main = program.Main;

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

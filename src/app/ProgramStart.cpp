#include "app/ProgramStart.h"

#include "app/KorvelApplication.h"
#include "app/KorvelProgram.h"
#include "platform/ProgramIcon.h"

#include <QApplication>

#include <exception>

namespace korvel {

int runProgram(int& argc, char** argv, const std::function<void(KorvelProgram&)>& started) {
    KorvelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel 2002"));
    QApplication::setOrganizationName(QStringLiteral("Korvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
    QApplication::setWindowIcon(programIcon());

    KorvelProgram program;
    try {
        if (!program.start())
            return 1;
    } catch (const std::exception& e) {
        KorvelApplication::showEscapedError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    program.Main.show();
    if (started)
        started(program);
    return QApplication::exec();
}

} // namespace korvel

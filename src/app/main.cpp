// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/ZipMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvel 2002"));
    QApplication::setOrganizationName(QStringLiteral("Korvel"));

    // 1. Main. The subsystems install their hooks into Main.hooks here, before its start-up runs.
    korvel::TMain Main;
    if (!Main.FormCreate())
        return 1;

    // 2.-7. FrmUnzip, FrmZipOpt, LangForm, FrmWaitZip, Custom_ext and AboutBox follow in this
    // order as they join the program. Custom_ext's creation reads the settings and applies the
    // language; until it exists, that happens here.
    Main.pgm_init();

    Main.show();
    return QApplication::exec();
}

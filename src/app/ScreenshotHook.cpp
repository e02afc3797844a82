#include "app/ScreenshotHook.h"

#include "app/ZipMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>

namespace korvel {

void screenshotHook(TMain& main) {
    const QString file = qEnvironmentVariable("KORVEL_SHOW_FILE");
    if (file.isEmpty())
        return;
    const QString shot = qEnvironmentVariable("KORVEL_SCREENSHOT");
    QTimer::singleShot(300, &main, [&main, file, shot] {
        const QFileInfo info(file);
        main.LFile->setDirectory(info.absolutePath());
        const int row = main.LFile->findRow(info.fileName());
        if (row < 0) {
            std::fprintf(stderr, "korvel: %s is not listed\n", qPrintable(file));
            QCoreApplication::exit(1);
            return;
        }
        main.LFile->selectRow(row);
        main.LFile->view()->scrollTo(main.LFile->view()->model()->index(row, 0));
        // The click's release is what the list reports as a click.
        QWidget* viewport = main.LFile->view()->viewport();
        const QPointF at = main.LFile->rowRect(row).center();
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
        if (shot.isEmpty())
            return;
        QTimer::singleShot(700, &main, [&main, shot] {
            const bool saved = main.grab().save(shot);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
}

} // namespace korvel

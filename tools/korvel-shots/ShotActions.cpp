#include "ShotActions.h"

#include "ShotOptions.h"
#include "app/KorvelProgram.h"
#include "app/ZipMain.h"
#include "archive/PackerPage.h"
#include "archive/ZipUnzip.h"
#include "filemanager/FileManagerPage.h"
#include "widgets/MFileExplorer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace korvel::shots {

namespace {

// The actions that click wait this long for the windows to be up; the screenshot this long more.
constexpr int kSettleMs = 300;
constexpr int kShotMs = 700;

// A name from the command line, decoded as the system decodes file names.
QString fileName(const std::string& name) {
    return QFile::decodeName(name.c_str());
}

// Says why on stderr and ends the program with 1 (queued: the event loop may not run yet).
void fail(const QString& why) {
    std::fprintf(stderr, "korvel-shots: %s\n", qPrintable(why));
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

// The row of `file` in `list` after going to its folder, or -1 (said on stderr, program ended).
int goTo(TMFileExplorer& list, const QFileInfo& file) {
    list.setDirectory(file.absolutePath());
    const int row = list.findRow(file.fileName());
    if (row < 0)
        fail(file.filePath() + QStringLiteral(" is not listed"));
    return row;
}

// The main window with every other shown window of the program painted where it lies over it
// (the Extract dialog); menus and tool tips are left out.
QImage grabWindows(QWidget& main) {
    QList<QWidget*> shown{&main};
    QRect area = main.geometry();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w != &main && w->isVisible() && type != Qt::Popup && type != Qt::ToolTip) {
            shown.append(w);
            area |= w->geometry();
        }
    }
    QImage image(area.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (QWidget* w : shown)
        painter.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
    return image;
}

void shootLater(TMain& main, const QString& png, int afterMs) {
    QTimer::singleShot(afterMs, &main, [&main, png] {
        if (!grabWindows(main).save(png))
            return fail(QStringLiteral("cannot write ") + png);
        QCoreApplication::exit(0);
    });
}

// Shows the folder, paints it once, prints the peak memory of the process and the rows, ends.
void benchFolder(TMain& main, const QString& folder, bool report) {
    if (report)
        main.LFile->setViewStyle(TMFileExplorer::vsReport);
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

// The browser goes to the file's folder and the file is clicked as a person would: the click's
// release is what the list reports as a click.
void clickFile(TMain& main, const QFileInfo& file) {
    TMFileExplorer& list = *main.LFile;
    const int row = goTo(list, file);
    if (row < 0)
        return;
    list.selectRow(row);
    list.view()->scrollTo(list.view()->model()->index(row, 0));
    QWidget* viewport = list.view()->viewport();
    const QPointF at = list.rowRect(row).center();
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

// The archive is picked in the browser and "Extract..." pressed, "Options >>" too when wide.
bool demoExtract(KorvelProgram& program, const QFileInfo& archive, bool wide) {
    TMain& main = program.Main;
    const int row = goTo(*main.LFile, archive);
    if (row < 0)
        return false;
    main.LFile->selectRow(row);
    main.CurrentFile = archive.absoluteFilePath();
    main.GetInfo(main.CurrentFile);
    QTimer::singleShot(kSettleMs, &main, [&program, wide] {
        program.Main.B_UnzipClick();
        if (wide)
            program.FrmUnzip->B_Options->click();
    });
    return true;
}

// The packer page lists the folder and takes its files, as if they had been dropped there.
void demoPacker(TMain& main, const QString& folder) {
    TPackerPage* page = main.PackPage;
    main.Pagina->setCurrentWidget(page);
    page->LFileMgr->setDirectory(folder);
    page->LFileMgrClick();
    for (int row = 0; row < page->LFileMgr->rowCount(); ++row)
        if (page->LFileMgr->rowKind(row) == files::EntryKind::File)
            page->ListaZip->addItem(page->LFileMgr->rowPath(row));
}

// The file manager page on the two folders, the picked names selected in the left pane.
bool fileManager(TMain& main, const QString& left, const QString& right,
                 const std::vector<std::string>& picks) {
    TFileManagerPage* page = main.FileMgrPage;
    main.Pagina->setCurrentWidget(page);
    page->LeftPane->setDirectory(left);
    page->RightPane->setDirectory(right);
    QAbstractItemView* view = page->LeftPane->view();
    for (const std::string& pick : picks) {
        const int row = page->LeftPane->findRow(fileName(pick));
        if (row < 0) {
            fail(fileName(pick) + QStringLiteral(" is not listed in ") + left);
            return false;
        }
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    page->ShapeLeftMouseDown(); // the left pane active, as a click on its bar makes it
    return true;
}

} // namespace

void runShot(KorvelProgram& program, const ShotOptions& options) {
    TMain& main = program.Main;
    const QString path = fileName(options.path);
    const QString png = fileName(options.screenshot);
    bool ok = true;
    int shotAfter = kShotMs;
    switch (options.action) {
    case Action::None:
        break;
    case Action::Bench:
        return benchFolder(main, path, options.report);
    case Action::Show:
        QTimer::singleShot(kSettleMs, &main, [&main, path] { clickFile(main, QFileInfo(path)); });
        shotAfter += kSettleMs;
        break;
    case Action::Open:
        main.LFile->setDirectory(QFileInfo(path).absolutePath());
        main.CurrentFile = QFileInfo(path).absoluteFilePath();
        main.GetInfo(main.CurrentFile);
        break;
    case Action::Extract:
        ok = demoExtract(program, QFileInfo(path), options.wide);
        shotAfter += kSettleMs;
        break;
    case Action::Packer:
        demoPacker(main, path);
        break;
    case Action::FileManager:
        ok = fileManager(main, path, fileName(options.right), options.picks);
        break;
    }
    if (ok && !png.isEmpty())
        shootLater(main, png, shotAfter);
}

} // namespace korvel::shots

#include "app/ArchiveDemo.h"

#include "app/ZipMain.h"
#include "archive/PackerPage.h"
#include "archive/ZipUnzip.h"
#include "widgets/MFileExplorer.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace korvel {

void archiveDemoHook(TMain& main) {
    const QString archive = qEnvironmentVariable("KORVEL_DEMO_EXTRACT");
    const QString folder = qEnvironmentVariable("KORVEL_DEMO_PACKER");
    if (!archive.isEmpty()) {
        const QFileInfo fi(archive);
        main.LFile->setDirectory(fi.absolutePath());
        main.LFile->selectRow(main.LFile->findRow(fi.fileName()));
        main.CurrentFile = fi.absoluteFilePath();
        main.GetInfo(main.CurrentFile);
        QTimer::singleShot(300, &main, [&main] {
            main.B_UnzipClick();
            auto* unzip = qobject_cast<TFrmUnzip*>(main.FrmUnzip);
            if (unzip && qEnvironmentVariable("KORVEL_DEMO_WIDE") == QLatin1String("1"))
                unzip->B_Options->click();
        });
    } else if (!folder.isEmpty()) {
        TPackerPage* page = main.PackPage;
        main.Pagina->setCurrentWidget(page);
        page->LFileMgr->setDirectory(folder);
        page->LFileMgrClick();
        for (int row = 0; row < page->LFileMgr->rowCount(); ++row)
            if (page->LFileMgr->rowKind(row) == files::EntryKind::File)
                page->ListaZip->addItem(page->LFileMgr->rowPath(row));
    }
}

} // namespace korvel

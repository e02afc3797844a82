#include "platform/HelpPage.h"

#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace korvel {

QString helpPagePath(const QString& programDir) {
    const QString dir = programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    return QDir(dir).absoluteFilePath(QStringLiteral("help/index.html"));
}

bool openHelpPage(QWidget* parent, const QString& programDir, const std::function<bool(const QUrl&)>& open) {
    const QString path = helpPagePath(programDir);
    const QString title = QStringLiteral("Korvel 2002");
    if (!QFileInfo(path).isFile()) {
        Prompts::current().showError(parent, title,
                                     QStringLiteral("The help page cannot be found:\n%1\n\n"
                                                    "It is installed with Korvel; reinstalling the "
                                                    "program brings it back.")
                                         .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    const bool opened = open ? open(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        Prompts::current().showError(parent, title,
                                     QStringLiteral("No web browser could open the help page:\n%1\n\n"
                                                    "Open this file with a browser of your choice.")
                                         .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

} // namespace korvel

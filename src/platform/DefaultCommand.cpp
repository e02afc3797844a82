#include "platform/DefaultCommand.h"

#include <QDesktopServices>

namespace korvel {
namespace {
DefaultCommand::Opener& opener() {
    static DefaultCommand::Opener o;
    return o;
}
} // namespace

bool DefaultCommand::openPath(const QString& path) {
    return openUrl(QUrl::fromLocalFile(path));
}

bool DefaultCommand::openUrl(const QUrl& url) {
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

void DefaultCommand::setOpener(Opener o) {
    opener() = std::move(o);
}

} // namespace korvel

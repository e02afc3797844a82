#pragma once
// The desktop's default command for a file or a web page (what opening it from the file manager
// does). Tests replace the opener so that nothing is launched.

#include <QString>
#include <QUrl>

#include <functional>

namespace korvel {

class DefaultCommand {
public:
    using Opener = std::function<bool(const QUrl&)>;
    // Opens a local file or folder; false when the desktop could not.
    static bool openPath(const QString& path);
    static bool openUrl(const QUrl& url);
    // nullptr goes back to the desktop's opener.
    static void setOpener(Opener opener);
};

} // namespace korvel

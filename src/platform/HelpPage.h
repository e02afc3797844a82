#pragma once
// The help page: help/index.html beside the executable, shown by the desktop's browser.

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace korvel {

// help/index.html in `programDir` (by default the executable's folder).
QString helpPagePath(const QString& programDir = QString());

// Opens the help page with `open` (by default QDesktopServices::openUrl). When the page is
// missing or cannot be opened, says so through Prompts and returns false.
bool openHelpPage(QWidget* parent, const QString& programDir = QString(),
                  const std::function<bool(const QUrl&)>& open = {});

} // namespace korvel

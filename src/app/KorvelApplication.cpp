#include "app/KorvelApplication.h"

#include "platform/Prompts.h"

#include <exception>

namespace korvel {

bool KorvelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showEscapedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showEscapedError(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void KorvelApplication::showEscapedError(const QString& text) {
    static bool showing = false;
    if (showing)
        return; // an error while the first one is on screen: that one is enough
    showing = true;
    try {
        Prompts::current().showError(QApplication::activeWindow(), QApplication::applicationName(), text);
    } catch (...) {
    }
    showing = false;
}

} // namespace korvel

#pragma once
// The program's application object: an error that escapes an event handler reaches its general
// error display, which shows the message and lets the program run on, instead of ending it.

#include <QApplication>

namespace korvel {

class KorvelApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows `text` as an error of the program (the prompts interface, so tests see it).
    static void showEscapedError(const QString& text);
};

} // namespace korvel

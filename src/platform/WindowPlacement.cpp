#include "platform/WindowPlacement.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

namespace korvel {

void centreOnScreen(QWidget& window) {
    if (QScreen* s = window.screen()) {
        QRect r = window.frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        window.move(r.topLeft());
    }
}

void centreOnFirstShow(QWidget& window, bool& centred) {
    if (centred)
        return;
    centred = true;
    centreOnScreen(window);
}

} // namespace korvel

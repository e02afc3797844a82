#include "widgets/EditingKeys.h"

#include <QKeyEvent>

namespace korvel {
namespace {

// The digit row of a US keyboard with Shift held: still the digit keys.
bool isShiftedDigit(int key) {
    switch (key) {
    case Qt::Key_Exclam:
    case Qt::Key_At:
    case Qt::Key_NumberSign:
    case Qt::Key_Dollar:
    case Qt::Key_Percent:
    case Qt::Key_AsciiCircum:
    case Qt::Key_Ampersand:
    case Qt::Key_Asterisk:
    case Qt::Key_ParenLeft:
    case Qt::Key_ParenRight:
        return true;
    default:
        return false;
    }
}

// The keys of the numeric keypad that type: digits and the operators.
bool isKeypadTypingKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return true;
    switch (key) {
    case Qt::Key_Asterisk:
    case Qt::Key_Plus:
    case Qt::Key_Comma: // the keypad's separator
    case Qt::Key_Minus:
    case Qt::Key_Period:
    case Qt::Key_Slash:
    case Qt::Key_Enter:
    case Qt::Key_Delete: // the keypad's Del with NumLock off
        return true;
    default:
        return false;
    }
}

// The physical digit row, 1 to 0, by its key code (the X and Wayland key codes of Linux: the
// kernel's key numbers 2 to 11 plus 8).
bool isDigitRowKey(const QKeyEvent& key) {
#if defined(Q_OS_LINUX)
    const quint32 code = key.nativeScanCode();
    return code >= 10 && code <= 19;
#else
    (void)key;
    return false;
#endif
}

} // namespace

bool isEditingKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier)
        return isKeypadTypingKey(key);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return true;
    if ((modifiers & Qt::ShiftModifier) && isShiftedDigit(key))
        return true;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Delete:
    case Qt::Key_Backslash:
    case Qt::Key_Bar: // the backslash key with Shift
        return true;
    default:
        return false;
    }
}

bool isEditingKey(const QKeyEvent& key) {
    const auto mods = key.modifiers();
    if (!(mods & Qt::KeypadModifier) && !(mods & (Qt::ControlModifier | Qt::AltModifier)) &&
        isDigitRowKey(key))
        return true;
    return isEditingKey(key.key(), mods);
}

} // namespace korvel

#include "platform/EditingKeys.h"

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
        return true;
    default:
        return false;
    }
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

} // namespace korvel

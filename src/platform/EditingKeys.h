#pragma once
// The keys that count as editing a text: letters, digits (also the digit row with Shift), the
// numeric keypad's digits and operators, Space, Backspace, Enter, Delete and the backslash key.
// Punctuation and cursor keys do not. The description editor and the tag editors share the rule.

#include <Qt>

namespace korvel {

bool isEditingKey(int key, Qt::KeyboardModifiers modifiers);

} // namespace korvel

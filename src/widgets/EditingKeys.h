#pragma once
// The keys that count as editing a text: letters, digits (also the digit row with Shift), the
// numeric keypad's digits and operators, Space, Backspace, Enter, Delete and the backslash key.
// Punctuation and cursor keys do not. The description editor and the tag editors share the rule.

#include <Qt>

class QKeyEvent;

namespace korvel {

bool isEditingKey(int key, Qt::KeyboardModifiers modifiers);
// The same for a key as pressed: the keys of the digit row count as digits whatever they type
// on the keyboard's layout (on some layouts the digits need Shift and the plain keys type
// accented letters or punctuation).
bool isEditingKey(const QKeyEvent& key);

} // namespace korvel

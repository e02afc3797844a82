#pragma once
// Where a dialog appears: in the middle of the free area of its screen.

class QWidget;

namespace korvel {

// Moves the window, frame included, to the middle of its screen's free area.
void centreOnScreen(QWidget& window);

// centreOnScreen the first time only (`centred` remembers it), so that a dialog shown again
// stays where the person moved it.
void centreOnFirstShow(QWidget& window, bool& centred);

} // namespace korvel

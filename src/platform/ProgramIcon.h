#pragma once
// The program's icon (an archive with a zipper and a note), painted in code so the windows, the
// tray and the About box need no image plug-in. The installed desktop icon, korvel.svg, draws the
// same picture.

#include <QIcon>
#include <QPixmap>

namespace korvel {

// The icon at `size` x `size` pixels.
QPixmap programPixmap(int size);
// The icon at 16, 22, 24, 32, 48, 64 and 128 pixels.
QIcon programIcon();

} // namespace korvel

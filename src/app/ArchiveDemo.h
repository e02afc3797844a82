#pragma once
// For screenshots of the help page and for trying the archive windows by hand: with
// KORVEL_DEMO_EXTRACT=<archive> the browser pane picks that archive and "Extract..." is pressed
// (KORVEL_DEMO_WIDE=1 also presses "Options >>"); with KORVEL_DEMO_PACKER=<folder> the packer
// page shows that folder and lists its files, as if they had been dropped there.

namespace korvel {

class TMain;

void archiveDemoHook(TMain& main);

} // namespace korvel

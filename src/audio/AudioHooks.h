#pragma once
// Plugs the audio page and the player into the main window: the player and genre steps of its
// start-up, the MP3 view and the tag save.

namespace korvel {

class MainWindowState;

// Builds the audio page and the playback panel into the main window and installs their hooks.
// Call before the main window's start-up runs.
void installAudio(MainWindowState& main);

} // namespace korvel

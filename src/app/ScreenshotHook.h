#pragma once
// For the help page's pictures: with KORVEL_SHOW_FILE set to a file's full path, the browser pane
// goes to its folder and the file is clicked as a person would; with KORVEL_SCREENSHOT set to a
// .png path as well, the window is painted into that file once it has settled and the program ends.

namespace korvel {

class TMain;

void screenshotHook(TMain& main);

} // namespace korvel

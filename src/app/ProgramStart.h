#pragma once
// The program's start: the application object with its names and icon, the windows in their order,
// the main window shown, then the event loop. korvel's main() is this alone; the help page's
// screenshot tool starts the same program and gives `started` what it should do once it is up.

#include <functional>

namespace korvel {

class KorvelProgram;

// Returns the program's exit code (1 when the start-up check ends it).
int runProgram(int& argc, char** argv, const std::function<void(KorvelProgram&)>& started = {});

} // namespace korvel

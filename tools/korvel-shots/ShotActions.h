#pragma once
// What korvel-shots does to the started program: the action of its options, then the screenshot.

namespace korvel {
class KorvelProgram;
}

namespace korvel::shots {

struct ShotOptions;

// Called once the main window is shown; ends the program with 1 when the action cannot be done.
void runShot(KorvelProgram& program, const ShotOptions& options);

} // namespace korvel::shots

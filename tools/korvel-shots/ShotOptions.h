#pragma once
// What korvel-shots is asked to do, read from its command line. Plain C++: the options are read
// before the program (and Qt) starts, so "--help" and a wrong option need no display.

#include <string>
#include <vector>

namespace korvel::shots {

enum class Action {
    None,        // the program as it starts
    Show,        // --show FILE: the browser goes to FILE's folder and clicks FILE as a person would
    Open,        // --open FILE: the browser goes to FILE's folder and shows FILE's information
    Extract,     // --demo-extract ARCHIVE [--wide]: picks ARCHIVE and presses "Extract..."
    Packer,      // --demo-packer DIR: the packer page lists DIR and takes its files
    FileManager, // --file-manager LEFT RIGHT [--pick NAME]...: the file manager page
    Bench,       // --bench-folder DIR [--report]: shows DIR once, prints the peak memory, ends
};

struct ShotOptions {
    Action action = Action::None;
    std::string path;               // FILE, ARCHIVE, DIR or LEFT
    std::string right;              // RIGHT of --file-manager
    std::vector<std::string> picks; // --pick: names selected in the left pane
    bool wide = false;              // --wide: the Extract dialog with its options
    bool report = false;            // --report: the details view
    std::string screenshot;         // --screenshot PNG: store the windows there, then end
    bool help = false;
};

// The options of argv[1..argc); `error` says what is wrong when it returns false.
bool parseShotOptions(int argc, const char* const* argv, ShotOptions& out, std::string& error);

extern const char* const kShotUsage;

} // namespace korvel::shots

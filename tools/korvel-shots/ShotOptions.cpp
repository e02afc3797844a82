#include "ShotOptions.h"

#include <string_view>

namespace korvel::shots {

const char* const kShotUsage =
    "usage: korvel-shots [ACTION] [--screenshot PNG]\n"
    "Starts Korvel from the current folder and drives it, for the help page's pictures and the\n"
    "benchmarks (scripts/screenshots, bench/list_folder.sh). One ACTION at most:\n"
    "  --show FILE                 the browser goes to FILE's folder and clicks FILE\n"
    "  --open FILE                 the browser goes to FILE's folder and shows FILE's information\n"
    "  --demo-extract ARCHIVE [--wide]\n"
    "                              picks ARCHIVE and presses \"Extract...\" (--wide: \"Options >>\" too)\n"
    "  --demo-packer DIR           the packer page lists DIR and takes its files, as if dropped\n"
    "  --file-manager LEFT RIGHT [--pick NAME]...\n"
    "                              the file manager page on LEFT and RIGHT, NAMEs selected on the left\n"
    "  --bench-folder DIR [--report]\n"
    "                              shows DIR (details view with --report), paints it once, prints\n"
    "                              VmHWM, VmRSS and the row count, and ends\n"
    "  --screenshot PNG            once the windows have settled, stores them in PNG and ends\n"
    "  --help                      this text\n";

bool parseShotOptions(int argc, const char* const* argv, ShotOptions& out, std::string& error) {
    out = {};
    auto setAction = [&](Action a, std::string_view name) {
        if (out.action != Action::None) {
            error = "one action at most: " + std::string(name) + " comes after another";
            return false;
        }
        out.action = a;
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // How many values the option takes.
        const int values =
            arg == "--file-manager" ? 2
            : (arg == "--show" || arg == "--open" || arg == "--demo-extract" || arg == "--demo-packer" ||
               arg == "--bench-folder" || arg == "--pick" || arg == "--screenshot")
                ? 1
                : 0;
        if (i + values >= argc) {
            error = std::string(arg) + " needs " + (values == 2 ? "two values" : "a value");
            return false;
        }
        const char* value = values ? argv[i + 1] : nullptr;
        if (values && !*value) {
            error = std::string(arg) + " needs a value that is not empty";
            return false;
        }
        bool ok = true;
        if (arg == "--help" || arg == "-h")
            out.help = true;
        else if (arg == "--show")
            ok = setAction(Action::Show, arg);
        else if (arg == "--open")
            ok = setAction(Action::Open, arg);
        else if (arg == "--demo-extract")
            ok = setAction(Action::Extract, arg);
        else if (arg == "--demo-packer")
            ok = setAction(Action::Packer, arg);
        else if (arg == "--bench-folder")
            ok = setAction(Action::Bench, arg);
        else if (arg == "--file-manager") {
            ok = setAction(Action::FileManager, arg);
            out.right = argv[i + 2];
        } else if (arg == "--pick")
            out.picks.emplace_back(value);
        else if (arg == "--screenshot")
            out.screenshot = value;
        else if (arg == "--wide")
            out.wide = true;
        else if (arg == "--report")
            out.report = true;
        else {
            error = "unknown option " + std::string(arg);
            return false;
        }
        if (!ok)
            return false;
        if (values && arg != "--pick" && arg != "--screenshot")
            out.path = value;
        i += values;
    }
    if (out.wide && out.action != Action::Extract)
        error = "--wide goes with --demo-extract";
    else if (out.report && out.action != Action::Bench)
        error = "--report goes with --bench-folder";
    else if (!out.picks.empty() && out.action != Action::FileManager)
        error = "--pick goes with --file-manager";
    else if (!out.screenshot.empty() && out.action == Action::Bench)
        error = "--bench-folder ends by itself; it takes no --screenshot";
    return error.empty();
}

} // namespace korvel::shots

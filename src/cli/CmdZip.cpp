// korvel-cli zip [OPTIONS] ARCHIVE FILES...: adds files under the given options, starting from the
// defaults of the options dialog (grow, recurse, level 6).
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "engineclient/ArchiveEngine.h"

#include <cstring>

namespace korvel::cli {

namespace {

int run(const Args& a) {
    ZPOPT o = defaultZipOptions();
    Args rest;
    struct Flag {
        const char* name;
        ZE_BOOL ZPOPT::*field;
    };
    static const Flag flags[] = {{"fSystem", &ZPOPT::fSystem},
                                 {"fVolume", &ZPOPT::fVolume},
                                 {"fExtra", &ZPOPT::fExtra},
                                 {"fJunkDir", &ZPOPT::fJunkDir},
                                 {"fGrow", &ZPOPT::fGrow},
                                 {"fMove", &ZPOPT::fMove},
                                 {"fDeleteEntries", &ZPOPT::fDeleteEntries},
                                 {"fUpdate", &ZPOPT::fUpdate},
                                 {"fFreshen", &ZPOPT::fFreshen},
                                 {"fLatestTime", &ZPOPT::fLatestTime},
                                 {"fRecurse", &ZPOPT::fRecurse}};
    for (const auto& s : a) {
        if (s.rfind("--", 0) != 0) {
            rest.push_back(s);
            continue;
        }
        std::string opt = s.substr(2);
        if (opt.rfind("fLevel=", 0) == 0) {
            // Exactly one digit; anything else is refused as the engine refuses a bad level.
            const std::string v = opt.substr(7);
            o.fLevel = v.size() == 1 ? v[0] : '?';
            continue;
        }
        bool on = true;
        if (opt.rfind("no-", 0) == 0) {
            on = false;
            opt = opt.substr(3);
        }
        bool known = false;
        for (const auto& f : flags) {
            if (opt == f.name) {
                o.*(f.field) = on ? (f.field == &ZPOPT::fRecurse ? 1 : -1) : 0;
                known = true;
            }
        }
        if (!known) {
            std::fprintf(stderr, "korvel-cli zip: unknown option %s\n", s.c_str());
            return 2;
        }
    }
    if (rest.size() < 2) {
        std::fprintf(stderr,
                     "usage: korvel-cli zip [--fJunkDir] [--no-fGrow] [--fMove] [--fDeleteEntries] "
                     "[--fUpdate] [--fFreshen] [--fLatestTime] [--no-fRecurse] [--fSystem] [--fExtra] "
                     "[--fVolume] [--fLevel=N] ARCHIVE FILES...\n");
        return 2;
    }
    if (!loadArchiveEngines(true))
        return 3;
    const std::vector<std::string> files(rest.begin() + 1, rest.end());
    int r = ArchiveEngine::zip(rest[0], files, o);
    if (r != ZE_OK) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", rest[0].c_str(),
                     r == ZE_PARMS && (o.fLevel < '0' || o.fLevel > '9')
                         ? "Error setting Zip Options"
                         : ArchiveEngine::zipResultText(r).c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND(
    "zip",
    "[--fJunkDir] [--no-fGrow] [--fMove] [--fDeleteEntries] [--fUpdate] [--fFreshen] "
    "[--fLatestTime] [--no-fRecurse] [--fSystem] [--fExtra] [--fVolume] [--fLevel=N] ARCHIVE FILES...",
    run);

} // namespace korvel::cli

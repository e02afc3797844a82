// korvel-cli list ARCHIVE: the listing lines of the Extract dialog, one per member.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/Engines.h"

namespace korvel::cli {

bool loadArchiveEngines(bool writes) {
    std::string error;
    if (writes ? Engines::load(&error) : Engines::loadUnzip(&error))
        return true;
    std::fprintf(stderr, "korvel-cli: %s\n", error.c_str());
    return false;
}

namespace {

int run(const Args& a) {
    if (a.size() != 1) {
        std::fprintf(stderr, "usage: korvel-cli list ARCHIVE\n");
        return 2;
    }
    if (!loadArchiveEngines())
        return 3;
    std::vector<ArchiveMember> members;
    int r = ArchiveEngine::list(a[0], members);
    std::string out;
    for (const auto& m : members) {
        out += m.line;
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (r != PK_OK) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", a[0].c_str(), ArchiveEngine::unzipResultText(r).c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("list", "ARCHIVE                      list the members (size, date, name)", run);

} // namespace korvel::cli

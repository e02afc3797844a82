// korvel-cli list ARCHIVE: the listing lines of the Extract dialog, one per member.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "cli/ReaderCli.h"
#include "platform/ArchiveEngine.h"
#include "platform/Engines.h"

namespace korvel::cli {

bool loadArchiveEngines() {
    QString error;
    if (Engines::load(&error))
        return true;
    std::fprintf(stderr, "korvel-cli: %s\n", error.toLocal8Bit().constData());
    return false;
}

namespace {

int run(const Args& a) {
    if (a.size() != 1) {
        std::fprintf(stderr, "usage: korvel-cli list ARCHIVE\n");
        return 2;
    }
    if (isReaderArchive(a[0]))
        return listWithReader(a[0]);
    if (!loadArchiveEngines())
        return 3;
    QList<ArchiveMember> members;
    int r = ArchiveEngine::list(arg(a[0]), members);
    for (const auto& m : members)
        std::printf("%s\n", m.line.toUtf8().constData());
    if (r != PK_OK) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", a[0].c_str(),
                     ArchiveEngine::unzipResultText(r).toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("list", "ARCHIVE                      list the members (size, date, name)", run);

} // namespace korvel::cli

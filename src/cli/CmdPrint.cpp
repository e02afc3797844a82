// korvel-cli print ARCHIVE MEMBER: the member's bytes on stdout (at most 4 MiB).
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "platform/ArchiveEngine.h"

namespace korvel::cli {

namespace {

int run(const Args& a) {
    bool exact = false;
    Args rest;
    for (const auto& s : a) {
        if (s == "--case-sensitive")
            exact = true;
        else
            rest.push_back(s);
    }
    if (rest.size() != 2) {
        std::fprintf(stderr, "usage: korvel-cli print [--case-sensitive] ARCHIVE MEMBER\n");
        return 2;
    }
    if (!loadArchiveEngines())
        return 3;
    QByteArray bytes;
    int r = ArchiveEngine::print(arg(rest[0]), arg(rest[1]), bytes, !exact);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    if (r != PK_OK) {
        QString why = ArchiveEngine::unzipResultText(r);
        if (r == PK_UNSUPP) {
            const QString method = ArchiveEngine::unsupportedMethod(arg(rest[0]), arg(rest[1]));
            if (!method.isEmpty())
                why += QStringLiteral(": ") + method;
        }
        std::fprintf(stderr, "korvel-cli: %s: %s: %s\n", rest[0].c_str(), rest[1].c_str(),
                     why.toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("print", "[--case-sensitive] ARCHIVE MEMBER   write a member's bytes to stdout", run);

} // namespace korvel::cli

// korvel-cli extract [OPTIONS] ARCHIVE DEST [NAMES...]: the extraction request.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "platform/ArchiveEngine.h"

namespace korvel::cli {

namespace {

int run(const Args& a) {
    ExtractFlags f;
    Args rest;
    for (const auto& s : a) {
        if (s == "--ExtractOnlyNewer")
            f.ExtractOnlyNewer = true;
        else if (s == "--nUflag")
            f.nUflag = true;
        else if (s == "--ndflag")
            f.ndflag = true;
        else if (s == "--noflag")
            f.noflag = true;
        else if (s == "--C_flag")
            f.C_flag = true;
        else if (s == "--no-C_flag")
            f.C_flag = false;
        else if (s.rfind("--", 0) == 0) {
            std::fprintf(stderr, "korvel-cli extract: unknown option %s\n", s.c_str());
            return 2;
        } else
            rest.push_back(s);
    }
    if (rest.size() < 2) {
        std::fprintf(stderr,
                     "usage: korvel-cli extract [--ExtractOnlyNewer] [--nUflag] [--ndflag] [--noflag] "
                     "[--no-C_flag] ARCHIVE DEST [NAMES...]\n");
        return 2;
    }
    if (!loadArchiveEngines())
        return 3;
    QStringList names;
    for (size_t i = 2; i < rest.size(); ++i)
        names << arg(rest[i]);
    QStringList problems;
    int r = ArchiveEngine::extract(arg(rest[0]), arg(rest[1]), names, f, &problems);
    for (const QString& p : problems)
        std::fprintf(stderr, "korvel-cli: %s\n", p.toUtf8().constData());
    if (r != PK_OK) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", rest[0].c_str(),
                     ArchiveEngine::unzipResultText(r).toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND(
    "extract", "[--ExtractOnlyNewer] [--nUflag] [--ndflag] [--noflag] [--no-C_flag] ARCHIVE DEST [NAMES...]",
    run);

} // namespace korvel::cli

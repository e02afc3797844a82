// korvel-cli extract [OPTIONS] ARCHIVE DEST [NAMES...]: the extraction request.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "cli/ReaderCli.h"
#include "engineclient/ArchiveEngine.h"

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
    if (isReaderArchive(rest[0])) {
        ExtractRequest rq;
        rq.onlyNewer = f.ExtractOnlyNewer;
        rq.newerOrNew = f.nUflag;
        rq.withPaths = f.ndflag;
        rq.overwrite = f.noflag;
        rq.ignoreCase = f.C_flag;
        rq.names.assign(rest.begin() + 2, rest.end());
        return extractWithReader(rest[0], rest[1], rq);
    }
    if (!loadArchiveEngines())
        return 3;
    const std::vector<std::string> names(rest.begin() + 2, rest.end());
    std::string notes;
    int r = ArchiveEngine::extract(rest[0], rest[1], names, f, &notes);
    // The engine's account of each member skipped or not extracted.
    size_t start = 0;
    while (start < notes.size()) {
        size_t end = notes.find('\n', start);
        if (end == std::string::npos)
            end = notes.size();
        std::string line = notes.substr(start, end - start);
        start = end + 1;
        line.erase(0, line.find_first_not_of(' '));
        if (line.rfind("error:", 0) == 0 || line.rfind("warning:", 0) == 0 || line.rfind("skipping:", 0) == 0)
            std::fprintf(stderr, "korvel-cli: %s\n", line.c_str());
    }
    if (r != PK_OK) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", rest[0].c_str(),
                     ArchiveEngine::unzipResultText(r).c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND(
    "extract", "[--ExtractOnlyNewer] [--nUflag] [--ndflag] [--noflag] [--no-C_flag] ARCHIVE DEST [NAMES...]",
    run);

} // namespace korvel::cli

// korvel-cli print ARCHIVE MEMBER: the member's bytes on stdout (at most 4 MiB).
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "cli/ReaderCli.h"
#include "engineclient/ArchiveEngine.h"

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
    if (isReaderArchive(rest[0]))
        return printWithReader(rest[0], rest[1], exact);
    if (!loadArchiveEngines())
        return 3;
    std::string bytes;
    int r = ArchiveEngine::print(rest[0], rest[1], bytes, !exact);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    if (r != PK_OK) {
        std::string why = ArchiveEngine::unzipResultText(r);
        if (r == PK_UNSUPP) {
            const std::string method = ArchiveEngine::unsupportedMethod(rest[0], rest[1]);
            if (!method.empty())
                why += ": " + method;
        }
        std::fprintf(stderr, "korvel-cli: %s: %s: %s\n", rest[0].c_str(), rest[1].c_str(), why.c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("print", "[--case-sensitive] ARCHIVE MEMBER   write a member's bytes to stdout", run);

} // namespace korvel::cli

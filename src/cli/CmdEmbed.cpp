// korvel-cli embed [--level N] ARCHIVE MEMBER TEXTFILE: stores the bytes of TEXTFILE into the
// archive as MEMBER at its root, the way "Save info" stores an edited description.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "core/archive/ArchiveReader.h"
#include "engineclient/DescriptionEngine.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace korvel::cli {

namespace {

const char* const kUsage = "usage: korvel-cli embed [--level N] ARCHIVE MEMBER TEXTFILE\n";

int run(const Args& a) {
    char level = '6';
    Args rest;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--level" && i + 1 < a.size()) {
            const std::string& v = a[++i];
            level = v.size() == 1 ? v[0] : '?'; // exactly one digit, else refused below
        } else {
            rest.push_back(a[i]);
        }
    }
    if (rest.size() != 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream in(rest[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", rest[2].c_str());
        return 2;
    }
    if (level < '0' || level > '9') {
        std::fprintf(stderr, "korvel-cli: Error setting Zip Options\n");
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", rest[2].c_str());
        return 2;
    }
    if (isReaderArchive(rest[0])) {
        std::fprintf(stderr, "korvel-cli: %s: Descriptions can be saved into ZIP archives only\n",
                     rest[0].c_str());
        return 1;
    }
    if (!loadArchiveEngines(true))
        return 3;
    const EmbedOutcome o = embedDescription(rest[0], rest[1], bytes, level);
    if (!o.saved()) {
        std::fprintf(stderr, "korvel-cli: %s\n", embedFailureText(o, rest[0]).c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND(
    "embed", "[--level N] ARCHIVE MEMBER TEXTFILE   store a text file as the archive's description member",
    run);

} // namespace korvel::cli

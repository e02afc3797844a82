// korvel-cli diz [--mode MODE] [--custom NAME] [--custom-list FILE] ARCHIVE: the description the
// main window would show for the archive, as raw bytes on stdout; the member named by the
// caption on stderr.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "core/description/CustomList.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/DescriptionEngine.h"

#include <cstdio>

namespace korvel::cli {

namespace {

const char* const kUsage =
    "usage: korvel-cli diz [--mode auto|fileid|readme|filename|custom] [--custom NAME] "
    "[--custom-list FILE] ARCHIVE\n";

int run(const Args& a) {
    LookupRequest req;
    req.allCustomCaption = "all custom files";
    req.customCaption = req.allCustomCaption;
    std::string archive;
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string& s = a[i];
        const bool hasValue = i + 1 < a.size();
        if (s == "--mode" && hasValue) {
            auto mode = parseSearchMode(a[++i]);
            if (!mode) {
                std::fprintf(stderr, "korvel-cli: unknown mode %s\n%s", a[i].c_str(), kUsage);
                return 2;
            }
            req.mode = *mode;
        } else if (s == "--custom" && hasValue) {
            req.customCaption = a[++i];
        } else if (s == "--custom-list" && hasValue) {
            const auto read = readCustomList(a[++i]);
            if (read.missing || !read.error.empty()) {
                std::fprintf(stderr, "korvel-cli: cannot read %s: %s\n", a[i].c_str(),
                             read.missing ? "no such file" : read.error.c_str());
                return 2;
            }
            req.customNames.insert(req.customNames.end(), read.names.begin(), read.names.end());
        } else if (archive.empty() && (s.empty() || s[0] != '-' || s == "-")) {
            archive = s;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (archive.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!loadArchiveEngines())
        return 3;
    req.archivePath = archive;
    const LookupResult r = lookUpDescriptionInArchive(req);
    if (!r.found) {
        // Nothing found: say so when the archive itself cannot be read, as `list` does.
        std::vector<ArchiveMember> members;
        const int listed = ArchiveEngine::list(archive, members);
        if (listed == PK_NOZIP) {
            std::fprintf(stderr, "korvel-cli: %s: %s\n", archive.c_str(),
                         ArchiveEngine::unzipResultText(listed).c_str());
            return 1;
        }
    }
    std::fwrite(r.text.data(), 1, r.text.size(), stdout);
    std::fflush(stdout);
    if (r.caption)
        std::fprintf(stderr, "%s\n", r.caption->c_str());
    return r.found ? 0 : 1;
}

} // namespace

KORVEL_CLI_COMMAND(
    "diz",
    "[--mode auto|fileid|readme|filename|custom] [--custom NAME] [--custom-list FILE] ARCHIVE   "
    "the archive's description on stdout, its member name on stderr",
    run);

} // namespace korvel::cli

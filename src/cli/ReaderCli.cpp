#include "cli/ReaderCli.h"

#include "core/archive/EntryListing.h"
#include "core/description/ArchiveDescription.h"

#include <cstdio>

namespace korvel::cli {
namespace {

int failed(const std::string& archive, const ArchiveResult& r) {
    std::fprintf(stderr, "korvel-cli: %s: %s\n", archive.c_str(), r.message.c_str());
    return 1;
}

} // namespace

int listWithReader(const std::string& archive) {
    const ArchiveResult r = archiveReader().list(archive, [](const ArchiveEntry& e) {
        std::printf("%s\n", listingLineFor(e).c_str());
        return true;
    });
    return r.ok() ? 0 : failed(archive, r);
}

int printWithReader(const std::string& archive, const std::string& member, bool caseSensitive) {
    FoundMember found;
    const ArchiveResult r =
        archiveReader().readFirstOf(archive, {member}, !caseSensitive, kDescriptionBound, found);
    std::fwrite(found.bytes.data(), 1, found.bytes.size(), stdout);
    if (!r.ok())
        return failed(archive, r.status == ArchiveStatus::NotFound
                                   ? ArchiveResult{r.status, member + ": no member matched"}
                                   : r);
    return 0;
}

int extractWithReader(const std::string& archive, const std::string& destination,
                      const ExtractRequest& request) {
    ExtractReport report;
    const ArchiveResult r = archiveReader().extract(archive, destination, request, report);
    for (const auto& line : report.skipped)
        std::fprintf(stderr, "korvel-cli: %s\n", line.c_str());
    return r.ok() ? 0 : failed(archive, r);
}

} // namespace korvel::cli

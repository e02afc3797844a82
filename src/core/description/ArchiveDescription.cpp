#include "core/description/ArchiveDescription.h"

#include "core/description/DescriptionText.h"

#include <cstring>
#include <fstream>

namespace korvel {

bool startsLikeZip(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    return in.gcount() == 4 &&
           (std::memcmp(head, "PK\x03\x04", 4) == 0 || std::memcmp(head, "PK\x05\x06", 4) == 0);
}

LookupResult lookUpDescriptionInReader(const LookupRequest& request, const ArchiveReader& reader,
                                       ArchiveResult* problem) {
    const LookupPlan plan = planLookup(request);
    FoundMember found;
    ArchiveResult r;
    if (!plan.names.empty())
        r = reader.readFirstOf(request.archivePath, plan.names, true, kDescriptionBound, found);
    if (problem)
        *problem = r.status == ArchiveStatus::NotFound ? ArchiveResult{} : r;
    std::size_t attempt = 0;
    return runLookup(plan, [&](const std::string&, std::string& bytes) {
        const std::size_t i = attempt++;
        if (!r.ok() || i != found.index)
            return 1;
        // The text as the print callback would have gathered it: up to the first zero byte.
        PrintCapture capture(kDescriptionBound);
        capture.add(found.bytes.data(), found.bytes.size());
        bytes = capture.text();
        return 0;
    });
}

} // namespace korvel

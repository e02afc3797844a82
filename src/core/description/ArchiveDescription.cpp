#include "core/description/ArchiveDescription.h"

#include "core/description/DescriptionText.h"

namespace korvel {

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
        // The text as the print callback would have gathered it, zero bytes included.
        PrintCapture capture(kDescriptionBound);
        capture.add(found.bytes.data(), found.bytes.size());
        bytes = capture.text();
        return 0;
    });
}

LookupResult lookUpDescriptionRouted(const LookupRequest& request,
                                     const std::function<LookupResult(const LookupRequest&)>& zipLookup,
                                     ArchiveResult* problem, const ArchiveReader& reader) {
    if (problem)
        *problem = {};
    if (startsLikeZip(request.archivePath))
        return zipLookup(request);
    ArchiveResult p;
    LookupResult r = lookUpDescriptionInReader(request, reader, &p);
    if (p.status == ArchiveStatus::NotAnArchive || p.status == ArchiveStatus::CannotOpen)
        return zipLookup(request);
    if (p.status == ArchiveStatus::Unavailable) {
        // Without the reader's library the file may still be a ZIP (one behind a program stub).
        r = zipLookup(request);
        if (!r.found && problem)
            *problem = p;
        return r;
    }
    if (problem)
        *problem = p;
    return r;
}

} // namespace korvel

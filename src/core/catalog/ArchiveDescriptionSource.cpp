#include "core/catalog/ArchiveDescriptionSource.h"

#include "core/catalog/ZipDescriptionSource.h"
#include "core/description/ArchiveDescription.h"

namespace korvel::catalog {

ArchiveDescriptionSource::ArchiveDescriptionSource(LookupRequest lookup, const ArchiveReader& reader)
    : lookup_(std::move(lookup)), reader_(reader) {}

Finding ArchiveDescriptionSource::find(const std::string& path, std::string_view) const {
    LookupRequest req = lookup_;
    req.archivePath = path;
    ArchiveResult problem;
    const LookupResult r = lookUpDescriptionInReader(req, reader_, &problem);

    if (r.found)
        return foundDescription(r);
    Finding f;
    f.reason = problem.message;
    switch (problem.status) {
    case ArchiveStatus::Ok:
    case ArchiveStatus::NotFound:
        f.status = FindStatus::NoDescription;
        f.reason.clear();
        return f;
    case ArchiveStatus::CannotOpen:
    case ArchiveStatus::Unavailable:
        f.status = FindStatus::Unreadable;
        break;
    case ArchiveStatus::MultiVolume:
        // One part of a set cannot be read on its own; the archive itself may well be sound.
        f.status = FindStatus::Unreadable;
        break;
    case ArchiveStatus::Encrypted:
        f.status = FindStatus::Encrypted;
        break;
    case ArchiveStatus::NotAnArchive:
        f.status = FindStatus::Damaged;
        if (f.reason.empty())
            f.reason = "not an archive of a format read here";
        break;
    default:
        f.status = FindStatus::Damaged;
        break;
    }
    if (f.reason.empty())
        f.reason = "cannot be read";
    return f;
}

std::string ArchiveDescriptionSource::signature() const {
    return "archive-reader;" + lookupSignature(lookup_);
}

} // namespace korvel::catalog

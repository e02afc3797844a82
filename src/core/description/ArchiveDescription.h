#pragma once
// The description lookup in an archive the archive reader reads (7-Zip, RAR, LHA, CAB, ISO 9660,
// tar, cpio): the same candidates, order, captions and 4 MiB bound as the unzip engine's print
// requests, answered from one pass through the archive.

#include "core/archive/ArchiveReader.h"
#include "core/description/DescriptionLookup.h"

#include <cstddef>
#include <functional>
#include <string>

namespace korvel {

// The most bytes of a description delivered, as the unzip engine's print request does.
inline constexpr std::size_t kDescriptionBound = 4u * 1024u * 1024u;

// The lookup of `request` through `reader`. `tried` lists every candidate in order up to the one
// found, as if each had been one print request. A reason the archive could not be read (encrypted,
// multi-volume, damaged) goes to *problem when given; a missing member is no problem.
LookupResult lookUpDescriptionInReader(const LookupRequest& request, const ArchiveReader& reader,
                                       ArchiveResult* problem = nullptr);

// The lookup for whatever file was chosen: a file that starts like a ZIP archive, and one the
// reader does not take for an archive, goes to `zipLookup` (the unzip engine's print requests);
// every other archive to the reader, with what kept it from being read in *problem. When the
// reader's library cannot be loaded, the ZIP lookup is tried and, failing it, that is the problem.
LookupResult lookUpDescriptionRouted(const LookupRequest& request,
                                     const std::function<LookupResult(const LookupRequest&)>& zipLookup,
                                     ArchiveResult* problem = nullptr,
                                     const ArchiveReader& reader = archiveReader());

} // namespace korvel

#pragma once
// What a catalogue run reads descriptions with: the unzip engine for ZIP archives, the archive
// reader for every other format it reads. The window and korvel-cli both start their runs with
// it; the engines must be loaded first.

#include "core/catalog/ArchiveDescriptionSource.h"
#include "core/catalog/SourceByFormat.h"
#include "core/catalog/ZipDescriptionSource.h"

namespace korvel {

class CatalogSources {
public:
    // `lookup` gives the mode, the custom caption and list.
    explicit CatalogSources(const LookupRequest& lookup);
    CatalogSources(const CatalogSources&) = delete;
    CatalogSources& operator=(const CatalogSources&) = delete;

    const catalog::DescriptionSource& byFormat() const { return byFormat_; }

private:
    catalog::ZipDescriptionSource zip_;
    catalog::ArchiveDescriptionSource others_;
    catalog::SourceByFormat byFormat_;
};

} // namespace korvel

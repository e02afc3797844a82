#include "engineclient/CatalogSources.h"

#include "engineclient/Engines.h"

namespace korvel {

CatalogSources::CatalogSources(const LookupRequest& lookup)
    : zip_(Engines::unzip().Wiz_SingleEntryUnzip, lookup), others_(lookup) {
    byFormat_.add("zip", &zip_);
    for (const auto format : catalog::kReaderFormats)
        byFormat_.add(std::string(format), &others_);
}

} // namespace korvel

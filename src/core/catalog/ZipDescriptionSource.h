#pragma once
// The description of a ZIP archive through the unzip engine's print request, with the lookup
// rules of the description view (the same modes, names and custom list). The engine entry point
// is handed in by whoever loaded the engine; each call gathers its member's text in a buffer of
// its own thread, so the workers of a catalogue run print from different archives at once (the
// engine's print request keeps no state between calls but its thread-safe directory cache).

#include "core/catalog/DescriptionSource.h"
#include "core/description/DescriptionLookup.h"
#include "zipengines.h"

namespace korvel::catalog {

using UnzipEntryPoint = int (*)(int, char**, int, char**, DCL*, USERFUNCTIONS*);

class ZipDescriptionSource : public DescriptionSource {
public:
    // `lookup` gives the mode, the custom caption and list; its archive path is not used.
    ZipDescriptionSource(UnzipEntryPoint unzip, LookupRequest lookup);

    Finding find(const std::string& path, std::string_view format) const override;
    std::string signature() const override;

private:
    UnzipEntryPoint unzip_;
    LookupRequest lookup_;
};

// The catalogue's signature words for a lookup's settings: mode, custom caption and names.
std::string lookupSignature(const LookupRequest& lookup);

} // namespace korvel::catalog

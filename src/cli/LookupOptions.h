#pragma once
// The description lookup options that diz and catalog share: --mode, --custom and --custom-list.

#include "cli/Command.h"
#include "core/description/DescriptionLookup.h"

#include <cstddef>

namespace korvel::cli {

// A lookup request as the command line starts it: the automatic mode, and "all custom files" as
// the custom caption.
LookupRequest commandLineLookup();

enum class LookupOption { NotOne, Taken, Invalid };

// Takes the lookup option at a[i] and its value into req, moving i past the value. Invalid: the
// problem is printed, followed by usage.
LookupOption takeLookupOption(const Args& a, std::size_t& i, LookupRequest& req, const char* usage);

} // namespace korvel::cli

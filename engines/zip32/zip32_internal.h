// The zip engine's inner pieces.
#pragma once

#include "zipengines.h"

namespace korvel::engine {

// The options and callbacks in force (copies, taken under the engine's lock).
ZPOPT options();
ZIPUSERFUNCTIONS callbacks();

} // namespace korvel::engine

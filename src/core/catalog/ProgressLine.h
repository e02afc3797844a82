#pragma once
// The one-line account of a running catalogue on a terminal: archives done of the total, the
// rate so far, and the time left at that rate.

#include <cstddef>
#include <string>

namespace korvel::catalog {

// "1234/10000 archives  812/s  0:11 left"; the rate and time left only once a tenth of a second
// has passed and something is done.
std::string progressLine(std::size_t done, std::size_t total, double seconds);

} // namespace korvel::catalog

#include "core/archive/ListingLine.h"

#include <cstdio>

namespace korvel {

std::string formatListingLine(std::uint64_t size, unsigned month, unsigned day, unsigned year, unsigned hour,
                              unsigned minute, std::string_view name) {
    char head[96];
    int n = std::snprintf(head, sizeof head, "%7llu  %2u-%2u-%2u %2u:%2u  ",
                          static_cast<unsigned long long>(size), month, day, year, hour, minute);
    std::string line(head, n > 0 ? static_cast<size_t>(n) : 0);
    line.append(name);
    return line;
}

} // namespace korvel

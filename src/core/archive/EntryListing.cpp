#include "core/archive/EntryListing.h"

#include "core/archive/ListingLine.h"

#include <ctime>

namespace korvel {

std::string listingLineFor(const ArchiveEntry& e) {
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0;
    if (e.mtime != 0) {
        const time_t t = static_cast<time_t>(e.mtime);
        struct tm tm {};
        if (localtime_r(&t, &tm)) {
            month = static_cast<unsigned>(tm.tm_mon + 1);
            day = static_cast<unsigned>(tm.tm_mday);
            year = static_cast<unsigned>((tm.tm_year + 1900) % 100);
            hour = static_cast<unsigned>(tm.tm_hour);
            minute = static_cast<unsigned>(tm.tm_min);
        }
    }
    return formatListingLine(e.size, month, day, year, hour, minute, e.name);
}

} // namespace korvel

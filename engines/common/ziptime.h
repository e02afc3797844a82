// Member time stamps: the Unix time of a member, taken like unzip does on Linux from the
// extended timestamp extra field (0x5455) when the member has one, else from the DOS date.
#pragma once

#include <zip.h>

#include <ctime>

namespace korvel::engine {

struct MemberTime {
    time_t when = 0;
    bool exact = false; // from the extended timestamp (1 s); false: DOS time (2 s steps)
};

MemberTime memberTime(zip_t* za, zip_uint64_t index, const zip_stat_t& st);

} // namespace korvel::engine

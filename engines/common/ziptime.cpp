#include "ziptime.h"

#include <cstdint>

namespace korvel::engine {

MemberTime memberTime(zip_t* za, zip_uint64_t index, const zip_stat_t& st) {
    MemberTime t;
    if (st.valid & ZIP_STAT_MTIME)
        t.when = st.mtime;
    zip_uint16_t len = 0;
    // The central directory's copy only: reading local headers would cost a seek per member.
    const zip_uint8_t* d = zip_file_extra_field_get_by_id(za, index, 0x5455, 0, &len, ZIP_FL_CENTRAL);
    if (d && len >= 5 && (d[0] & 1)) {
        uint32_t v = uint32_t(d[1]) | uint32_t(d[2]) << 8 | uint32_t(d[3]) << 16 | uint32_t(d[4]) << 24;
        t.when = static_cast<time_t>(static_cast<int32_t>(v));
        t.exact = true;
    }
    return t;
}

} // namespace korvel::engine

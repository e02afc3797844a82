#include "core/files/EntryText.h"

#include <cstdio>
#include <ctime>

namespace korvel::files {

std::string sizeText(std::uint64_t bytes) {
    if (bytes / 1024 <= 1000000)
        return std::to_string(bytes);
    return std::to_string(bytes / 1024) + "K";
}

std::string modifiedText(std::int64_t mtime, bool valid) {
    if (!valid)
        return {};
    std::time_t t = static_cast<std::time_t>(mtime);
    std::tm tm{};
    if (!::localtime_r(&t, &tm))
        return {};
    char buf[64];
    int n;
    if (tm.tm_hour == 0 && tm.tm_min == 0)
        n = std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
    else
        n = std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_year + 1900, tm.tm_hour, tm.tm_min);
    if (n < 0 || tm.tm_year + 1900 < 0 || tm.tm_year + 1900 > 9999)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string attributeText(std::uint8_t attrs) {
    std::string s;
    if (attrs & attrReadOnly)
        s += 'R';
    if (attrs & attrHidden)
        s += 'H';
    if (attrs & attrSystem)
        s += 'S';
    return s;
}

std::string kbText(std::uint64_t bytes) {
    std::string digits = std::to_string(bytes / 1024);
    std::string out;
    int lead = static_cast<int>(digits.size() % 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && static_cast<int>(i % 3) == lead)
            out += ',';
        out += digits[i];
    }
    return out + " KB";
}

std::string sizeColumnText(const Entry& e) {
    return e.kind == EntryKind::Dir ? std::string(" ") : sizeText(e.size);
}

} // namespace korvel::files

#pragma once
// File times for fixtures: set and read a modification time, and a local time by its parts.

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>

namespace korvel::test {

// Sets the access and modification times of `path` (of a link itself, not its target); true
// when done.
inline bool setMtime(const std::string& path, time_t t) {
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    return ::lutimes(path.c_str(), tv) == 0;
}

inline time_t mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtime;
}

// The moment a local clock shows the given date and time.
inline std::time_t localTime(int year, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace korvel::test

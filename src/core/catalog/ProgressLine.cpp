#include "core/catalog/ProgressLine.h"

#include <cmath>
#include <cstdio>

namespace korvel::catalog {

std::string progressLine(std::size_t done, std::size_t total, double seconds) {
    std::string s = std::to_string(done) + "/" + std::to_string(total) + " archives";
    if (seconds < 0.1 || done == 0)
        return s;
    const double rate = static_cast<double>(done) / seconds;
    s += "  " + std::to_string(static_cast<long long>(std::llround(rate))) + "/s";
    const long long left =
        static_cast<long long>(std::ceil(static_cast<double>(total - std::min(done, total)) / rate));
    char buf[48];
    if (left >= 3600)
        std::snprintf(buf, sizeof buf, "  %lld:%02lld:%02lld left", left / 3600, (left / 60) % 60, left % 60);
    else
        std::snprintf(buf, sizeof buf, "  %lld:%02lld left", left / 60, left % 60);
    return s + buf;
}

} // namespace korvel::catalog

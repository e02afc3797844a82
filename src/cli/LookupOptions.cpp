#include "cli/LookupOptions.h"

#include "core/description/CustomList.h"

#include <cstdio>

namespace korvel::cli {

LookupRequest commandLineLookup() {
    LookupRequest req;
    req.allCustomCaption = "all custom files";
    req.customCaption = req.allCustomCaption;
    return req;
}

LookupOption takeLookupOption(const Args& a, std::size_t& i, LookupRequest& req, const char* usage) {
    const std::string& s = a[i];
    if (i + 1 >= a.size() || (s != "--mode" && s != "--custom" && s != "--custom-list"))
        return LookupOption::NotOne;
    const std::string& value = a[++i];
    if (s == "--mode") {
        const auto mode = parseSearchMode(value);
        if (!mode) {
            std::fprintf(stderr, "korvel-cli: unknown mode %s\n%s", value.c_str(), usage);
            return LookupOption::Invalid;
        }
        req.mode = *mode;
    } else if (s == "--custom") {
        req.customCaption = value;
    } else {
        const auto read = readCustomList(value);
        if (read.missing || !read.error.empty()) {
            std::fprintf(stderr, "korvel-cli: cannot read %s: %s\n", value.c_str(),
                         read.missing ? "no such file" : read.error.c_str());
            return LookupOption::Invalid;
        }
        req.customNames.insert(req.customNames.end(), read.names.begin(), read.names.end());
    }
    return LookupOption::Taken;
}

} // namespace korvel::cli

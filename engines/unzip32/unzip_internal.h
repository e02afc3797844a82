// The unzip engine's inner pieces, shared by its request handlers.
#pragma once

#include "zipengines.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvel::engine {

// One request as the engine sees it: the caller's records and the names to include/exclude.
struct UnzipRequest {
    const DCL* dcl = nullptr;
    USERFUNCTIONS* uf = nullptr;
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    std::vector<bool> includeMatched; // which include names matched some member

    bool ignoreCase() const { return dcl->C_flag != 0; }
    // Whether a member name is asked for: it matches an include name (or none are given) and
    // no exclude name.
    bool selected(std::string_view name);
    int print(const char* text, size_t len) const;
};

// Severity order of results: the worst one wins when several members fail differently.
int worse(int a, int b);

class CentralDirectory;

// The extraction request over the archive's directory (extract.cpp).
int runExtraction(CentralDirectory& cd, UnzipRequest& rq);

} // namespace korvel::engine

#include "core/files/Wildcard.h"

namespace korvel::files {
namespace {

unsigned char lower(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Plain glob with "*" and "?", iterative with one back-track point (linear in practice).
bool glob(std::string_view p, std::string_view n) {
    std::size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && (p[pi] == '?' || lower(p[pi]) == lower(n[ni]))) {
            ++pi;
            ++ni;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern.empty() || pattern.find('/') != std::string_view::npos)
        return false; // a piece naming a sub-folder, or an empty piece, finds nothing
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (glob(pattern, name))
        return true;
    bool hasDot = name.find('.') != std::string_view::npos;
    // "name.*" also finds "name"; "name." finds "name" when it has no extension.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return glob(pattern.substr(0, pattern.size() - 2), name);
    if (pattern.back() == '.' && !hasDot)
        return glob(pattern.substr(0, pattern.size() - 1), name);
    return false;
}

} // namespace korvel::files

#include "wildmatch.h"

namespace korvel::engine {

namespace {

char fold(char c, bool ignoreCase) {
    if (ignoreCase && c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return c;
}

// Matches the set starting after "[" at p against c. On return p is past the closing "]".
// A "[" without a closing "]" is a plain character; the caller sees that as `ok == false`.
bool matchSet(std::string_view pat, size_t& p, char c, bool ignoreCase, bool& ok) {
    size_t i = p;
    bool negate = false;
    if (i < pat.size() && (pat[i] == '!' || pat[i] == '^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    const char fc = fold(c, ignoreCase);
    while (i < pat.size() && (first || pat[i] != ']')) {
        first = false;
        char lo = pat[i];
        char hi = lo;
        if (i + 2 < pat.size() && pat[i + 1] == '-' && pat[i + 2] != ']') {
            hi = pat[i + 2];
            i += 3;
        } else {
            ++i;
        }
        unsigned char l = static_cast<unsigned char>(fold(lo, ignoreCase));
        unsigned char h = static_cast<unsigned char>(fold(hi, ignoreCase));
        unsigned char x = static_cast<unsigned char>(fc);
        if (l <= x && x <= h)
            found = true;
        if (ignoreCase) {
            // "[A-Z]" against "q": try the other case of the character as well.
            unsigned char up = (x >= 'a' && x <= 'z') ? static_cast<unsigned char>(x - 'a' + 'A') : x;
            if (static_cast<unsigned char>(lo) <= up && up <= static_cast<unsigned char>(hi))
                found = true;
        }
    }
    if (i >= pat.size()) {
        ok = false;
        return false;
    }
    ok = true;
    p = i + 1;
    return found != negate;
}

} // namespace

bool hasWildcards(std::string_view pattern) {
    return pattern.find_first_of("*?[") != std::string_view::npos;
}

bool wildmatch(std::string_view pat, std::string_view name, bool ignoreCase) {
    // Iterative matcher with one backtrack point for the last "*": linear in practice, no
    // recursion, so hostile patterns cannot exhaust the stack.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size()) {
            char pc = pat[p];
            if (pc == '*') {
                while (p < pat.size() && pat[p] == '*')
                    ++p;
                if (p == pat.size())
                    return true;
                starP = p;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                size_t q = p + 1;
                bool ok = false;
                bool m = matchSet(pat, q, name[n], ignoreCase, ok);
                if (ok) {
                    if (m) {
                        p = q;
                        ++n;
                        continue;
                    }
                } else if (fold('[', ignoreCase) == fold(name[n], ignoreCase)) {
                    ++p;
                    ++n;
                    continue;
                }
            } else if (fold(pc, ignoreCase) == fold(name[n], ignoreCase)) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

} // namespace korvel::engine

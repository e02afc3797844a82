#include "core/files/SharedMimeInfo.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace korvel::files {

namespace {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool hasWildcard(std::string_view s) {
    return s.find_first_of("*?[") != std::string_view::npos;
}

bool globMatches(const std::string& pattern, bool caseSensitive, std::string_view name) {
    // "*.ext" is by far the most common pattern: a plain suffix comparison.
    if (pattern.size() > 1 && pattern[0] == '*' && !hasWildcard(std::string_view(pattern).substr(1))) {
        const std::string_view suffix = std::string_view(pattern).substr(1);
        if (name.size() < suffix.size())
            return false;
        const std::string_view tail = name.substr(name.size() - suffix.size());
        return caseSensitive ? tail == suffix : lowerAscii(tail) == lowerAscii(suffix);
    }
    const std::string n(name);
    return ::fnmatch(pattern.c_str(), n.c_str(), caseSensitive ? 0 : FNM_CASEFOLD) == 0;
}

std::string decodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        static const std::pair<std::string_view, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool done = false;
        for (const auto& [e, c] : entities) {
            if (s.substr(i, e.size()) == e) {
                out += c;
                i += e.size() - 1;
                done = true;
                break;
            }
        }
        if (!done)
            out += '&';
    }
    return out;
}

} // namespace

SharedMimeInfo::SharedMimeInfo(std::vector<std::string> mimeDirs)
    : dirs_(std::move(mimeDirs)), languages_(languagesFromEnvironment()) {
    // A type a folder of higher precedence lists (or marks __NOGLOBS__) takes its globs from
    // that folder only.
    std::set<std::string> typesSeen;
    for (const std::string& dir : dirs_) {
        std::ifstream in(dir + "/globs2");
        if (!in)
            continue;
        std::set<std::string> typesHere;
        std::vector<Glob> here;
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            const auto c1 = line.find(':');
            const auto c2 = c1 == std::string::npos ? c1 : line.find(':', c1 + 1);
            if (c2 == std::string::npos)
                continue;
            Glob g;
            g.weight = std::atoi(line.substr(0, c1).c_str());
            g.type = line.substr(c1 + 1, c2 - c1 - 1);
            std::string rest = line.substr(c2 + 1);
            // Flags follow the pattern after one more ":" ("cs": case-sensitive).
            const auto c3 = rest.find(':');
            if (c3 != std::string::npos) {
                const std::string flags = rest.substr(c3 + 1);
                g.caseSensitive = flags.find("cs") != std::string::npos;
                rest.resize(c3);
            }
            g.pattern = rest;
            if (typesSeen.count(g.type))
                continue;
            typesHere.insert(g.type);
            if (g.pattern != "__NOGLOBS__")
                here.push_back(std::move(g));
        }
        // A case-sensitive glob is listed a second time without its flag, for readers that do
        // not know flags; it stays case-sensitive.
        std::set<std::pair<std::string, std::string>> sensitive;
        for (const Glob& g : here)
            if (g.caseSensitive)
                sensitive.emplace(g.type, g.pattern);
        std::erase_if(here, [&](const Glob& g) {
            return !g.caseSensitive && sensitive.count({g.type, g.pattern});
        });
        typesSeen.insert(typesHere.begin(), typesHere.end());
        globs_.insert(globs_.end(), std::make_move_iterator(here.begin()),
                      std::make_move_iterator(here.end()));
    }
}

std::vector<std::string> SharedMimeInfo::defaultDirs() {
    std::vector<std::string> dirs;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home && *home)
        dirs.push_back(std::string(home) + "/mime");
    else if (const char* h = std::getenv("HOME"); h && *h)
        dirs.push_back(std::string(h) + "/.local/share/mime");
    const char* data = std::getenv("XDG_DATA_DIRS");
    std::string list = data && *data ? data : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto end = std::min(list.find(':', start), list.size());
        if (end > start)
            dirs.push_back(list.substr(start, end - start) + "/mime");
        start = end + 1;
    }
    return dirs;
}

SharedMimeInfo& SharedMimeInfo::system() {
    static SharedMimeInfo info(defaultDirs());
    return info;
}

std::string SharedMimeInfo::typeForFileName(std::string_view fileName) const {
    int bestWeight = -1;
    std::size_t bestLength = 0;
    std::vector<const std::string*> best;
    for (const Glob& g : globs_) {
        if (g.weight < bestWeight)
            continue;
        if (!globMatches(g.pattern, g.caseSensitive, fileName))
            continue;
        if (g.weight > bestWeight || g.pattern.size() > bestLength) {
            bestWeight = g.weight;
            bestLength = g.pattern.size();
            best.clear();
        } else if (g.pattern.size() < bestLength) {
            continue;
        }
        best.push_back(&g.type);
    }
    if (best.empty())
        return {};
    return **std::min_element(best.begin(), best.end(), [](auto* a, auto* b) { return *a < *b; });
}

std::vector<std::string> SharedMimeInfo::languagesFromEnvironment() {
    std::string value;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            value = v;
            break;
        }
    }
    // "de_DE.UTF-8@euro" -> "de_DE"; "C" and "POSIX" have no translation.
    value = value.substr(0, value.find_first_of(".@"));
    if (value.empty() || value == "C" || value == "POSIX")
        return {};
    std::vector<std::string> tags{value};
    const auto us = value.find('_');
    if (us != std::string::npos)
        tags.push_back(value.substr(0, us));
    return tags;
}

std::string SharedMimeInfo::comment(const std::string& mimeType) const {
    if (mimeType.empty() || mimeType.find("..") != std::string::npos)
        return {};
    // The type's file is named in lower case ("audio/AMR" is described in audio/amr.xml).
    const std::string file = lowerAscii(mimeType) + ".xml";
    for (const std::string& dir : dirs_) {
        std::ifstream in(dir + "/" + file, std::ios::binary);
        if (!in)
            continue;
        const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string plain;
        std::vector<std::string> translated(languages_.size());
        for (std::size_t at = xml.find("<comment"); at != std::string::npos;
             at = xml.find("<comment", at + 1)) {
            const auto tagEnd = xml.find('>', at);
            const auto close = tagEnd == std::string::npos ? tagEnd : xml.find("</comment>", tagEnd);
            if (close == std::string::npos)
                break;
            const std::string_view tag(xml.data() + at, tagEnd - at);
            const std::string text =
                decodeEntities(std::string_view(xml).substr(tagEnd + 1, close - tagEnd - 1));
            const auto lang = tag.find("xml:lang=\"");
            if (lang == std::string_view::npos) {
                if (plain.empty())
                    plain = text;
                continue;
            }
            const auto from = lang + 10;
            const std::string_view code = tag.substr(from, tag.find('"', from) - from);
            for (std::size_t i = 0; i < languages_.size(); ++i)
                if (code == languages_[i] && translated[i].empty())
                    translated[i] = text;
        }
        for (const std::string& t : translated)
            if (!t.empty())
                return t;
        return plain;
    }
    return {};
}

} // namespace korvel::files

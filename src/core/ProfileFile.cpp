#include "core/ProfileFile.h"

#include "posix_io.h"

#include <fstream>
#include <sstream>

namespace korvel {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key, value;
};

std::optional<KeyLine> keyOf(std::string_view line) {
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))};
}

std::string unquoted(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > ProfileFile::MaxValueLength)
        v = v.substr(0, ProfileFile::MaxValueLength);
    return std::string(v);
}

} // namespace

ProfileFile::ProfileFile(std::string_view contents) {
    std::size_t start = 0;
    while (start < contents.size()) {
        auto end = contents.find('\n', start);
        if (end == std::string_view::npos)
            end = contents.size();
        std::string_view line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

ProfileFile ProfileFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream s;
    s << in.rdbuf();
    return ProfileFile(s.str());
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const {
    bool inSection = false, sectionSeen = false;
    for (const auto& line : lines_) {
        if (auto name = sectionOf(line)) {
            if (sectionSeen && inSection)
                return std::nullopt; // only the first section of that name counts
            inSection = equalsNoCase(*name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = keyOf(line); kv && equalsNoCase(kv->key, key))
            return unquoted(kv->value);
    }
    return std::nullopt;
}

std::string ProfileFile::value(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    auto v = value(section, key);
    return v ? *v : std::string(fallback);
}

void ProfileFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(key) + "=" + std::string(value);
    std::optional<std::size_t> sectionStart, sectionEnd;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = sectionOf(lines_[i])) {
            if (sectionStart)
                break;
            if (equalsNoCase(*name, section))
                sectionStart = i;
            continue;
        }
        if (!sectionStart)
            continue;
        if (auto kv = keyOf(lines_[i]); kv && equalsNoCase(kv->key, key)) {
            lines_[i] = entry;
            return;
        }
        if (!trimmed(lines_[i]).empty())
            sectionEnd = i;
    }
    if (sectionStart) {
        std::size_t at = (sectionEnd ? *sectionEnd : *sectionStart) + 1;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
        return;
    }
    while (!lines_.empty() && trimmed(lines_.back()).empty())
        lines_.pop_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
}

std::string ProfileFile::contents() const {
    std::string out;
    for (const auto& line : lines_)
        out += line + "\r\n";
    return out;
}

bool ProfileFile::save(const std::string& path) const {
    return posix::replaceFile(path, contents(), posix::keptMode(path));
}

} // namespace korvel

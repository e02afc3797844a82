#pragma once
// Builders for the files of the description renderer's tests: SAUCE records byte by byte.

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::test {

struct SauceFields {
    std::string title, author, group, date = "19960704";
    std::uint8_t dataType = 1, fileType = 1;
    std::uint16_t width = 80, lines = 25;
    std::uint8_t flags = 0;
    std::string font = "IBM VGA";
    std::vector<std::string> comments;
};

inline std::string padded(const std::string& s, std::size_t n, char fill = ' ') {
    std::string out = s.substr(0, n);
    out.resize(n, fill);
    return out;
}

// EOF mark, comment block and record, as art programs write them after `size` bytes of text.
inline std::string sauceTail(const SauceFields& f, std::uint32_t size) {
    std::string out(1, '\x1A');
    if (!f.comments.empty()) {
        out += "COMNT";
        for (const auto& c : f.comments)
            out += padded(c, 64);
    }
    std::string r = "SAUCE00";
    r += padded(f.title, 35) + padded(f.author, 20) + padded(f.group, 20) + padded(f.date, 8);
    auto le = [&r](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            r.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    le(size, 4);
    r.push_back(static_cast<char>(f.dataType));
    r.push_back(static_cast<char>(f.fileType));
    le(f.width, 2);
    le(f.lines, 2);
    le(0, 2);
    le(0, 2);
    r.push_back(static_cast<char>(f.comments.size()));
    r.push_back(static_cast<char>(f.flags));
    r += padded(f.font, 22, '\0');
    return out + r;
}

} // namespace korvel::test

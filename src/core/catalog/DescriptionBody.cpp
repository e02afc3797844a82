#include "core/catalog/DescriptionBody.h"

namespace korvel::catalog {

DescriptionBody descriptionBody(std::string_view bytes) {
    DescriptionBody b;
    SauceSplit s = splitSauce(bytes);
    b.text = s.text;
    b.sauce = std::move(s.record);
    const auto eof = b.text.find('\x1A');
    if (eof != std::string_view::npos)
        b.text = b.text.substr(0, eof);
    b.ansi = b.text.find("\x1B[") != std::string_view::npos;
    return b;
}

std::vector<std::string> plainLines(std::string_view t) {
    std::vector<std::string> lines;
    std::string line;
    auto endLine = [&] {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        lines.push_back(std::move(line));
        line.clear();
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '\x1B') {
            if (i + 1 < t.size() && t[i + 1] == '[') {
                std::size_t j = i + 2;
                while (j < t.size() && !(t[j] >= 0x40 && t[j] <= 0x7E))
                    ++j;
                if (j < t.size() && t[j] == 'C') {
                    int n = 0;
                    for (std::size_t k = i + 2; k < j && n < 1000; ++k)
                        n = (t[k] >= '0' && t[k] <= '9') ? n * 10 + (t[k] - '0') : n;
                    line.append(static_cast<std::size_t>(n ? n : 1), ' ');
                }
                i = j;
            }
            continue;
        }
        if (c == '\r') {
            if (i + 1 < t.size() && t[i + 1] == '\n')
                ++i;
            endLine();
        } else if (c == '\n') {
            endLine();
        } else if (c == '\t') {
            line.append(8 - line.size() % 8, ' ');
        } else if (c != '\0') {
            line += c;
        }
    }
    if (!line.empty())
        endLine();
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        ++first;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    return lines;
}

} // namespace korvel::catalog

#include "core/description/CustomList.h"

#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace korvel {

std::string customListPath(const std::string& startDir) {
    if (startDir.empty() || startDir.back() == '/')
        return startDir + std::string(kCustomListFileName);
    return startDir + "/" + std::string(kCustomListFileName);
}

std::vector<std::string> parseCustomList(std::string_view contents) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = contents.size();
        if (end > start)
            names.emplace_back(contents.substr(start, end - start));
        start = end;
        if (start < contents.size() && contents[start] == '\r')
            ++start;
        if (start < contents.size() && contents[start] == '\n')
            ++start;
    }
    return names;
}

std::string formatCustomList(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (name.empty())
            continue;
        out += name;
        out += "\r\n";
    }
    return out;
}

CustomListRead readCustomList(const std::string& path) {
    CustomListRead result;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT)
            result.missing = true;
        else
            result.error = std::strerror(errno);
        return result;
    }
    std::string contents;
    char buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        contents.append(buffer, n);
    if (std::ferror(f)) {
        result.error = std::strerror(errno ? errno : EIO);
        // Only whole lines count as read.
        const auto lastEnd = contents.find_last_of("\r\n");
        contents.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    std::fclose(f);
    result.names = parseCustomList(contents);
    return result;
}

bool writeCustomList(const std::string& path, const std::vector<std::string>& names, std::string* error) {
    // Replaced whole, so that a failed save (a full disk) leaves the list as it was.
    const std::string target = posix::linkTarget(path); // a linked list stays linked
    if (posix::replaceFile(target, formatCustomList(names), posix::keptMode(target)))
        return true;
    if (error)
        *error = std::strerror(errno);
    return false;
}

CustomNameCheck checkNewCustomName(const std::vector<std::string>& list, std::string_view name) {
    if (name.empty())
        return CustomNameCheck::Empty;
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return CustomNameCheck::LineBreak;
    if (std::find(list.begin(), list.end(), name) != list.end())
        return CustomNameCheck::Duplicate;
    return CustomNameCheck::Ok;
}

} // namespace korvel

#include "core/files/DirectoryRules.h"

#include <filesystem>
#include <sys/stat.h>

namespace korvel::files {
namespace {

std::string withSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

// "/a/b/" and "/a/b" name the same folder.
std::string_view withoutSlash(std::string_view s) {
    while (s.size() > 1 && s.back() == '/')
        s.remove_suffix(1);
    return s;
}

} // namespace

bool isDrivesName(std::string_view s) {
    static constexpr std::string_view drives = "DRIVES";
    if (s.size() != drives.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != drives[i])
            return false;
    }
    return true;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

DirectoryChange changeDirectory(std::string_view current, std::string_view requested) {
    // File names differ by case here, so only the pseudo-folder compares without regard to it.
    if (requested == current || (isDrivesName(requested) && isDrivesName(current)))
        return {};
    if (isDrivesName(requested))
        return {DirectoryChange::Drives, std::string(requested)};
    if (requested.empty())
        return {};
    std::filesystem::path p{std::string(requested)};
    if (p.is_relative()) {
        if (isDrivesName(current) || current.empty())
            return {};
        p = std::filesystem::path(std::string(current)) / p;
    }
    std::string normal = p.lexically_normal().string();
    // A path may start with any number of slashes; the folder is the root all the same.
    if (normal.starts_with("//")) {
        const auto first = normal.find_first_not_of('/');
        normal.erase(0, (first == std::string::npos ? normal.size() : first) - 1);
    }
    if (normal.empty() || normal.find('\0') != std::string::npos || !isDirectory(normal))
        return {};
    return {DirectoryChange::Folder, withSlash(std::move(normal))};
}

std::string drivePart(std::string_view path, const std::vector<std::string>& volumeRoots) {
    if (isDrivesName(path) || path.empty())
        return {};
    std::string best;
    std::size_t bestLen = 0;
    bool found = false;
    for (const auto& r : volumeRoots) {
        std::string_view root = withoutSlash(r);
        bool fits;
        if (root == "/")
            fits = path.front() == '/';
        else
            fits = path.substr(0, root.size()) == root &&
                   (path.size() == root.size() || path[root.size()] == '/');
        if (fits && (!found || root.size() > bestLen)) {
            best = r;
            bestLen = root.size();
            found = true;
        }
    }
    return best;
}

std::string upOneLevel(std::string_view dir, const std::vector<std::string>& volumeRoots) {
    if (isDrivesName(dir) || dir.empty())
        return {};
    std::string_view folder = withoutSlash(dir);
    if (folder == "/")
        return "Drives";
    for (const auto& r : volumeRoots)
        if (withoutSlash(r) == folder)
            return "Drives";
    auto slash = folder.rfind('/');
    if (slash == std::string_view::npos)
        return "Drives";
    return std::string(folder.substr(0, slash + 1));
}

} // namespace korvel::files

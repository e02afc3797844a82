#include "core/description/DescriptionLookup.h"

namespace korvel {
namespace {

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of the character `count` characters from the start of s (s.size() when s is shorter).
std::size_t offsetOfCharacter(std::string_view s, std::size_t count) {
    std::size_t i = 0;
    for (; i < s.size() && count > 0; --count) {
        ++i;
        while (i < s.size() && isUtf8Continuation(s[i]))
            ++i;
    }
    return i;
}

std::size_t characterCount(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        n += isUtf8Continuation(c) ? 0 : 1;
    return n;
}

} // namespace

std::string archiveFileName(std::string_view archivePath) {
    const auto slash = archivePath.find_last_of('/');
    return std::string(slash == std::string_view::npos ? archivePath : archivePath.substr(slash + 1));
}

std::string archiveTextName(std::string_view n) {
    const std::size_t chars = characterCount(n);
    const std::size_t keep = chars > 3 ? chars - 3 : 0;
    return std::string(n.substr(0, offsetOfCharacter(n, keep))) + "txt";
}

std::string expandCustomName(std::string_view custom, std::string_view n) {
    if (custom.find(kFileNameMarker) == std::string_view::npos)
        return std::string(custom);
    const auto nDot = n.find('.');
    std::string out(nDot == std::string_view::npos ? std::string_view{} : n.substr(0, nDot + 1));
    const auto cDot = custom.find('.');
    out += cDot == std::string_view::npos ? custom : custom.substr(cDot + 1);
    return out;
}

std::optional<SearchMode> parseSearchMode(std::string_view word) {
    if (word == "auto")
        return SearchMode::Automatic;
    if (word == "fileid")
        return SearchMode::FileId;
    if (word == "readme")
        return SearchMode::Readme;
    if (word == "filename")
        return SearchMode::ArchiveText;
    if (word == "custom")
        return SearchMode::Custom;
    return std::nullopt;
}

LookupPlan planLookup(const LookupRequest& request) {
    const std::string n = archiveFileName(request.archivePath);
    LookupPlan plan;
    auto addCustomStep = [&] {
        if (request.customCaption == request.allCustomCaption) {
            for (const auto& name : request.customNames)
                plan.names.push_back(expandCustomName(name, n));
        } else {
            plan.names.push_back(expandCustomName(request.customCaption, n));
        }
    };
    switch (request.mode) {
    case SearchMode::Automatic:
        plan.names = {std::string(kFileIdName), std::string(kReadmeName), archiveTextName(n)};
        addCustomStep();
        plan.captionWhenNoneFound = std::string(kFileIdName);
        break;
    case SearchMode::FileId:
        plan.names = {std::string(kFileIdName)};
        break;
    case SearchMode::Readme:
        plan.names = {std::string(kReadmeName)};
        break;
    case SearchMode::ArchiveText:
        plan.names = {archiveTextName(n)};
        break;
    case SearchMode::Custom:
        addCustomStep();
        break;
    }
    return plan;
}

LookupResult runLookup(const LookupPlan& plan, const PrintMember& print) {
    LookupResult result;
    for (const auto& name : plan.names) {
        std::string bytes;
        const int rc = print(name, bytes);
        result.tried.push_back(name);
        result.caption = name;
        if (rc == 0) {
            result.found = true;
            result.text = std::move(bytes);
            return result;
        }
    }
    if (plan.captionWhenNoneFound)
        result.caption = plan.captionWhenNoneFound;
    return result;
}

} // namespace korvel

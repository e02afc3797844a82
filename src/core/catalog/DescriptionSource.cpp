#include "core/catalog/DescriptionSource.h"

#include <array>
#include <utility>

namespace korvel::catalog {
namespace {

constexpr std::array<std::pair<FindStatus, std::string_view>, 6> kWords{{
    {FindStatus::Found, "found"},
    {FindStatus::NoDescription, "none"},
    {FindStatus::Unreadable, "unreadable"},
    {FindStatus::Damaged, "damaged"},
    {FindStatus::Encrypted, "encrypted"},
    {FindStatus::Unsupported, "unsupported"},
}};

} // namespace

Finding foundDescription(const LookupResult& found) {
    Finding f;
    f.status = FindStatus::Found;
    f.member = found.caption.value_or(std::string());
    f.bytes = found.text;
    return f;
}

std::string_view statusWord(FindStatus s) {
    for (const auto& [status, word] : kWords) {
        if (status == s)
            return word;
    }
    return "none";
}

bool statusFromWord(std::string_view word, FindStatus& out) {
    for (const auto& [status, w] : kWords) {
        if (w == word) {
            out = status;
            return true;
        }
    }
    return false;
}

} // namespace korvel::catalog

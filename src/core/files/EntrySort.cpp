#include "core/files/EntrySort.h"

#include "core/files/EntryText.h"

#include <algorithm>

namespace korvel::files {
namespace {

unsigned char upper(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

template <typename T> int sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Modified texts carry minutes; an unreadable time has no text and sorts first.
std::int64_t minuteOf(const Entry& e) {
    if (!e.mtimeValid)
        return INT64_MIN;
    return e.mtime >= 0 ? e.mtime / 60 : -((-e.mtime + 59) / 60);
}

} // namespace

int compareUpper(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = upper(a[i]), y = upper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return sign(a.size(), b.size());
}

int compareEntries(const Entry& a, const Entry& b, int column, bool drives, const TypeNameFn& typeName) {
    const bool aDir = a.kind == EntryKind::Dir, bDir = b.kind == EntryKind::Dir;
    if (aDir && !bDir)
        return -1;
    if (!aDir && bDir)
        return 1;
    auto typeOf = [&](const Entry& e) { return typeName ? typeName(e.typeId) : std::string_view(); };
    switch (column) {
    case 0:
        return compareUpper(a.name, b.name);
    case 1:
        if (drives)
            return compareUpper(a.driveType, b.driveType);
        return sign(aDir ? 0 : a.size, bDir ? 0 : b.size);
    case 2:
        if (drives)
            return sign(a.size, b.size);
        return compareUpper(typeOf(a), typeOf(b));
    case 3:
        if (drives)
            return sign(a.free, b.free);
        return sign(minuteOf(a), minuteOf(b));
    case 4:
        if (drives)
            return 0;
        return compareUpper(attributeText(a.attrs), attributeText(b.attrs));
    default:
        return 0;
    }
}

void sortEntries(std::vector<Entry>& rows, const SortState& s, bool drives, const TypeNameFn& typeName) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Entry& a, const Entry& b) {
        int c = compareEntries(a, b, s.column, drives, typeName);
        return s.reverse ? c > 0 : c < 0;
    });
}

} // namespace korvel::files

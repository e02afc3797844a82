#pragma once
// Sorting of a file list: folders first, then by the sort column; SortReverse turns the whole
// order round, folder-first included. Clicking the sort column again turns the order round,
// clicking another column sorts by it, reversed.

#include "core/files/Entry.h"

#include <functional>
#include <string_view>
#include <vector>

namespace korvel::files {

struct SortState {
    int column = 0;
    bool reverse = true;
    // The column-click rule.
    void columnClick(int col) {
        if (col == column) {
            reverse = !reverse;
        } else {
            column = col;
            reverse = true;
        }
    }
};

using TypeNameFn = std::function<std::string_view(std::uint32_t typeId)>;

// -1, 0 or +1 before the reversal. drives: the rows are a drive listing (columns: name, type,
// total, free, nothing).
int compareEntries(const Entry& a, const Entry& b, int column, bool drives, const TypeNameFn& typeName);

void sortEntries(std::vector<Entry>& rows, const SortState& s, bool drives, const TypeNameFn& typeName);

// Upper-cased (ASCII) ordinal comparison, -1, 0 or +1.
int compareUpper(std::string_view a, std::string_view b);

} // namespace korvel::files

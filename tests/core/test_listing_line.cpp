// The Extract dialog's listing line: blanks, not zeros, pad the two-digit fields.
#include "core/archive/ListingLine.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    std::uint64_t size;
    unsigned mo, dy, yr, hh, mm;
    const char* name;
    const char* line;
};

class ListingLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListingLine, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(korvel::formatListingLine(c.size, c.mo, c.dy, c.yr, c.hh, c.mm, c.name), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingLine,
    ::testing::Values(
        LineCase{1234, 3, 7, 2, 9, 5, "file_id.diz", "   1234   3- 7- 2  9: 5  file_id.diz"},
        LineCase{0, 11, 30, 99, 23, 59, "a", "      0  11-30-99 23:59  a"},
        LineCase{5, 1, 2, 0, 9, 5, "x", "      5   1- 2- 0  9: 5  x"},
        LineCase{9999999, 12, 31, 26, 0, 0, "big", "9999999  12-31-26  0: 0  big"},
        LineCase{10000000, 1, 1, 80, 0, 0, "wider", "10000000   1- 1-80  0: 0  wider"},
        LineCase{5000000000ULL, 6, 15, 24, 12, 30, "zip64.bin", "5000000000   6-15-24 12:30  zip64.bin"},
        LineCase{1, 2, 3, 4, 5, 6, "with blank  name.txt", "      1   2- 3- 4  5: 6  with blank  name.txt"},
        LineCase{1, 2, 3, 4, 5, 6, "", "      1   2- 3- 4  5: 6  "}));

} // namespace

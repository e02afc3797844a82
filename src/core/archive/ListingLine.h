#pragma once
// The archive listing line of the Extract dialog: "%7u  %02u-%02u-%02u %02u:%02u  %s" filled with
// the uncompressed size, month, day, year, hour, minute and member name, where the two-digit
// fields are padded with blanks, not zeros. Example: "   1234   3- 7- 2  9: 5  file_id.diz".

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

std::string formatListingLine(std::uint64_t size, unsigned month, unsigned day, unsigned year, unsigned hour,
                              unsigned minute, std::string_view name);

} // namespace korvel

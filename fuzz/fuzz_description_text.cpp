// Description bytes from an archive and the custom list file are untrusted. Whatever they hold,
// showing and storing gives back every byte (NUL too), the print capture stays within its limit
// and never reads beyond a piece, and the list parser keeps no empty name or line end.

#include "core/description/CustomList.h"
#include "core/description/DescriptionText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    if (korvel::displayToDescription(korvel::descriptionToDisplay(bytes)) != bytes)
        std::abort();

    korvel::PrintCapture capture(size / 2 + 1);
    for (std::size_t at = 0; at < size;) {
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 17);
        capture.add(bytes.data() + at, piece);
        at += piece;
    }
    // A zero byte in a piece is kept: the capture holds what the engine printed.
    if (capture.text().size() > size / 2 + 1)
        std::abort();

    for (const auto& name : korvel::parseCustomList(bytes))
        if (name.empty() || name.find_first_of("\r\n") != std::string::npos)
            std::abort();
    return 0;
}

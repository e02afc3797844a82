#pragma once
// The description view's code page in "korvel.ini" of the start-up folder: section
// "Description", keys "CodePage" (a name parseCodePage takes; "CP437" by default) and
// "DetectUTF8" ("1" by default: valid multi-byte UTF-8 is read as UTF-8 whatever the page).

#include "core/render/CodePage.h"

#include <string_view>

namespace korvel {

inline constexpr std::string_view ViewSettingsSection = "Description";
inline constexpr std::string_view CodePageKey = "CodePage";
inline constexpr std::string_view DetectUtf8Key = "DetectUTF8";

struct ViewSetting {
    CodePage page = CodePage::Cp437;
    bool detectUtf8 = true;
    bool operator==(const ViewSetting&) const = default;
};

// The stored setting; the defaults for a missing file or key, or a name no page answers to.
ViewSetting storedViewSetting(std::string_view startDir);

// Stores the setting, keeping every other line of the file; false when it cannot be written.
bool storeViewSetting(std::string_view startDir, const ViewSetting& setting);

} // namespace korvel

#include "core/render/ViewSetting.h"

#include "core/ProfileFile.h"
#include "core/lang/LanguageSetting.h"

namespace korvel {

ViewSetting storedViewSetting(std::string_view startDir) {
    const auto ini = ProfileFile::load(lang::joinPath(startDir, lang::SettingsFileName));
    ViewSetting s;
    if (auto page = ini.value(ViewSettingsSection, CodePageKey))
        s.page = parseCodePage(*page).value_or(CodePage::Cp437);
    if (auto detect = ini.value(ViewSettingsSection, DetectUtf8Key))
        s.detectUtf8 = *detect != "0";
    return s;
}

bool storeViewSetting(std::string_view startDir, const ViewSetting& setting) {
    const auto path = lang::joinPath(startDir, lang::SettingsFileName);
    auto ini = ProfileFile::load(path);
    ini.setValue(ViewSettingsSection, CodePageKey, codePageName(setting.page));
    ini.setValue(ViewSettingsSection, DetectUtf8Key, setting.detectUtf8 ? "1" : "0");
    return ini.save(path);
}

} // namespace korvel

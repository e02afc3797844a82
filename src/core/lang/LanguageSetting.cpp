#include "core/lang/LanguageSetting.h"

#include "core/ProfileFile.h"

namespace korvel::lang {

std::string joinPath(std::string_view startDir, std::string_view name) {
    std::string path(startDir);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string storedLanguage(std::string_view startDir) {
    auto ini = ProfileFile::load(joinPath(startDir, SettingsFileName));
    return ini.value(SettingsSection, SettingsKey, DefaultLanguage);
}

bool storeLanguage(std::string_view startDir, std::string_view name) {
    // A value is one line: a name with a line break cannot be stored.
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return false;
    // Blanks around a value and surrounding quotes are dropped on reading; quoting keeps them.
    std::string value(name);
    auto kept = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    if (!value.empty() && (kept(value.front()) || kept(value.back())))
        value = '"' + value + '"';
    auto path = joinPath(startDir, SettingsFileName);
    auto ini = ProfileFile::load(path);
    ini.setValue(SettingsSection, SettingsKey, value);
    return ini.save(path);
}

} // namespace korvel::lang

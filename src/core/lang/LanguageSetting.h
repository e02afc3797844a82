#pragma once
// The language setting of "korvel.ini" in the start-up folder: section "International", key
// "Language", the name of a language file in that folder. The exact text "default" (case
// counted) means the built-in texts.

#include <string>
#include <string_view>

namespace korvel::lang {

inline constexpr std::string_view SettingsFileName = "korvel.ini";
inline constexpr std::string_view SettingsSection = "International";
inline constexpr std::string_view SettingsKey = "Language";
inline constexpr std::string_view DefaultLanguage = "default";

// startDir + "/" + name (one separator also when startDir is the root).
std::string joinPath(std::string_view startDir, std::string_view name);

// The stored language name; "default" when the file, section or key is missing.
std::string storedLanguage(std::string_view startDir);

// True when name stands for the built-in texts: exactly "default".
inline bool isDefaultLanguage(std::string_view name) {
    return name == DefaultLanguage;
}

// Stores name as the language of later starts, keeping everything else in the file; creates the
// file if needed. False when it cannot be written.
bool storeLanguage(std::string_view startDir, std::string_view name);

} // namespace korvel::lang

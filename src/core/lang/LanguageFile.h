#pragma once
// A language file ("*.kvl") read with the profile rules: every key of the table gets the file's
// text or, when the file, its section or the key is missing, the table's built-in text. A key
// present with nothing after "=" gives an empty text. Texts come out as UTF-8 whatever the file's
// encoding.

#include "core/ProfileFile.h"
#include "core/lang/LanguageTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::lang {

enum class Encoding { Utf8, Windows1252 };

// One text for one row of the table.
struct Assignment {
    const Key* key;
    std::string text; // UTF-8
};

class LanguageFile {
public:
    // Language files are small; anything larger is not one and reads as an empty file.
    static constexpr std::uintmax_t MaxFileSize = 4u << 20;

    LanguageFile() = default;
    explicit LanguageFile(std::string_view bytes);

    // Reads a file. A missing or unreadable path, a folder, anything but a regular file, or a
    // file larger than MaxFileSize gives an empty language file (every key at its default).
    static LanguageFile load(const std::string& path);

    Encoding encoding() const { return encoding_; }

    // The text of key in section as UTF-8, or fallback when the section or key is missing.
    std::string text(std::string_view section, std::string_view key, std::string_view fallback) const;

    // One assignment per row of the key table, in table order.
    std::vector<Assignment> assignments() const;

private:
    ProfileFile profile_;
    Encoding encoding_ = Encoding::Utf8;
};

} // namespace korvel::lang

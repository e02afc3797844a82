#pragma once
// Reader and writer of profile files ("korvel.ini", the "*.kvl" language files): a section
// header in square brackets, then lines "key=value". Section and key names match without regard
// to ASCII case, blanks around keys and values are ignored, a value wholly enclosed in double or
// single quotes loses them, the first occurrence of a section or key counts, and at most
// MaxValueLength characters of a value are read. Texts are kept as the file's bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class ProfileFile {
public:
    static constexpr std::size_t MaxValueLength = 2047;

    ProfileFile() = default;
    explicit ProfileFile(std::string_view contents);

    // Reads a file; a missing or unreadable file gives an empty profile (every key missing).
    static ProfileFile load(const std::string& path);

    // The value of key in section, or nothing when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string value(std::string_view section, std::string_view key, std::string_view fallback) const;

    // Sets key in section: the first occurrence of the key is replaced, else the key is added at
    // the end of the section, else the section is added at the end of the file. Other lines stay.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    std::string contents() const;
    // Writes the whole file; false when it cannot be written (the old file is then unchanged).
    bool save(const std::string& path) const;

private:
    std::vector<std::string> lines_;
};

} // namespace korvel

#include "core/lang/LanguageFile.h"

#include "core/lang/LanguageText.h"
#include "core/text/Utf8.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvel::lang {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

} // namespace

LanguageFile::LanguageFile(std::string_view bytes) {
    if (utf8::isValid(bytes)) {
        encoding_ = Encoding::Utf8;
        // A byte order mark would otherwise hide the first section header.
        if (bytes.starts_with(Utf8Bom))
            bytes.remove_prefix(Utf8Bom.size());
    } else {
        encoding_ = Encoding::Windows1252;
    }
    // The profile rules work on the file's bytes, so the length limit counts bytes; in a
    // Windows-1252 file that is one character each.
    profile_ = ProfileFile(bytes);
}

LanguageFile LanguageFile::load(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return {};
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > MaxFileSize)
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() > MaxFileSize)
        return {};
    return LanguageFile(bytes);
}

std::string LanguageFile::text(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    auto v = profile_.value(section, key);
    if (!v)
        return std::string(fallback);
    if (encoding_ == Encoding::Windows1252)
        return windows1252ToUtf8(*v);
    return std::string(withoutCutSequence(*v));
}

std::vector<Assignment> LanguageFile::assignments() const {
    std::vector<Assignment> out;
    auto table = keyTable();
    out.reserve(table.size());
    for (const Key& k : table)
        out.push_back({&k, text(k.section, k.key, k.defaultText)});
    return out;
}

} // namespace korvel::lang

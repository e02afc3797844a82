#pragma once
// Storing an edited description back into its archive: the bytes to store, the temporary text
// file the zip engine adds, and the compression level of the embedding options.
//
// The temporary file carries the member's name, because the zip engine stores an added file under
// its bare name. It lives in a private folder of its own under the system's temporary folder
// (never in the program's start folder), so a user's file of that name is never overwritten or
// deleted; the file and its folder go when the DescriptionTempFile goes.

#include "core/description/DescriptionText.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The bytes to store for the editor's text (see DescriptionText.h): CR LF line ends, code page 437.
inline std::string prepareDescriptionSave(std::u32string_view editorText, std::size_t* unmappable = nullptr) {
    return displayToDescription(editorText, unmappable);
}

// The compression level of the embedding options: the first character of the level box's text,
// or '6' when the box is empty.
char embeddingLevel(std::string_view levelBoxText);

class DescriptionTempFile {
public:
    // Writes `bytes` to <new private folder>/<memberName>. The folder is made below `base`, or
    // below the system's temporary folder when `base` is empty. A member name that is empty,
    // "." or "..", or holds a "/" or a NUL, is refused: the member is stored at the archive's
    // root under exactly that name, which no such name can be. On failure returns nothing and
    // puts the path that could not be written into *failedPath and the reason into *reason.
    static std::unique_ptr<DescriptionTempFile> create(const std::string& memberName, std::string_view bytes,
                                                       std::string* failedPath, std::string* reason = nullptr,
                                                       const std::filesystem::path& base = {});

    ~DescriptionTempFile(); // removes the file and its folder; failures are ignored
    DescriptionTempFile(const DescriptionTempFile&) = delete;
    DescriptionTempFile& operator=(const DescriptionTempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& folder() const { return folder_; }

private:
    DescriptionTempFile(std::filesystem::path folder, std::filesystem::path path)
        : folder_(std::move(folder)), path_(std::move(path)) {}

    std::filesystem::path folder_;
    std::filesystem::path path_;
};

} // namespace korvel

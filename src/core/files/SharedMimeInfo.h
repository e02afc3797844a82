#pragma once
// Type names from the freedesktop.org shared-mime-info data ("globs2" and the per-type XML
// files under <data dir>/mime), read directly: the same answers QMimeDatabase gives for a
// file name matched by its name only, without loading Qt.

#include <string>
#include <string_view>
#include <vector>

namespace korvel::files {

class SharedMimeInfo {
public:
    // Reads the glob lists of the mime folders given, first one first (it takes precedence).
    explicit SharedMimeInfo(std::vector<std::string> mimeDirs);
    // The mime folders of this user and system: $XDG_DATA_HOME/mime (~/.local/share/mime), then
    // each folder of $XDG_DATA_DIRS (/usr/local/share:/usr/share) followed by /mime.
    static std::vector<std::string> defaultDirs();
    // The instance over defaultDirs(), read on first use.
    static SharedMimeInfo& system();

    // The mime type a file of this name has by its name alone ("application/zip"), or empty:
    // the glob of highest weight wins, then the longest pattern, then the first type by name.
    std::string typeForFileName(std::string_view fileName) const;
    // The type's description in the user's language (LC_ALL, LC_MESSAGES, LANG), else the
    // untranslated one ("Zip archive"); empty when the type has none.
    std::string comment(const std::string& mimeType) const;

    // The language tags tried for comments, most specific first ("pt_BR", "pt").
    static std::vector<std::string> languagesFromEnvironment();

private:
    struct Glob {
        int weight = 50;
        bool caseSensitive = false;
        std::string type, pattern;
    };
    std::vector<std::string> dirs_;
    std::vector<Glob> globs_;
    std::vector<std::string> languages_;
};

} // namespace korvel::files

#pragma once
// The desktop trash (the freedesktop.org trash layout): an item on the file system of the home
// trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) goes there; an item on another file
// system goes to that volume's $topdir/.Trash/$uid (when the administrator made a sticky .Trash)
// or $topdir/.Trash-$uid. Each trashed item gets an info/<name>.trashinfo file naming where it came
// from and when it was deleted, so file managers can restore it.

#include <string>
#include <sys/types.h>

namespace korvel::files {

class Trash {
public:
    // homeTrash: the home trash folder; empty for the user's own.
    explicit Trash(std::string homeTrash = {});
    static std::string defaultHomeTrash();

    // Moves path (a file, link or folder; a link is trashed, not what it points to) into the
    // trash. On failure returns false and leaves path where it was; why() says what failed.
    bool put(const std::string& path);
    const std::string& why() const { return why_; }
    // After put: where the item now lies, and its info file.
    const std::string& trashedAs() const { return trashedAs_; }
    const std::string& infoFile() const { return infoFile_; }

    // Percent-encoding of a path for the Path key of an info file.
    static std::string encodePath(const std::string& path);

private:
    bool fail(const std::string& why);
    std::string trashFor(const std::string& item, dev_t dev, std::string& topdir);
    std::string home_, why_, trashedAs_, infoFile_;
};

} // namespace korvel::files

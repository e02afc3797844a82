#pragma once
// The file operation engine: copy, move, delete and rename of lists of paths, with the questions a
// desktop shell asks (overwrite, create a folder, confirm a delete) and progress with a cancel
// check, both through a handler the caller supplies. Plain C++ and POSIX; no windowing.
//
// What it guarantees:
// - a folder is never copied or moved into itself or one of its subfolders, a file never onto
//   itself;
// - a file is written under a name nobody sees (or a hidden temporary name) and only takes its
//   final name when it is complete, so a cancelled or failed copy leaves no half-written file and
//   an overwritten file stays intact until its replacement is complete;
// - a move within one file system is a rename; across file systems each file is copied, synced,
//   read back and compared, and only then is its source deleted;
// - symbolic links are copied as links and never followed; permissions and times are kept.

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::files {

enum class FileOpKind { Copy, Delete, Move, Rename };

// Option bits; the values are those of the Windows shell's file operation flags, so that a set of
// them can be stored and exchanged in the same 16-bit form.
enum FileOpFlag : unsigned {
    MultiDestFiles = 0x0001,    // FilesTo is a list matching FilesFrom, one full target per source
    ConfirmMouse = 0x0002,      // accepted, no effect (the shell never implemented it either)
    Silent = 0x0004,            // no progress window
    RenameOnCollision = 0x0008, // an existing target gives the new item a free name instead
    NoConfirmation = 0x0010,    // every question is answered "yes to all"
    WantMappingHandle = 0x0020, // keep the names given on collision (mappings())
    AllowUndo = 0x0040,         // delete moves items to the trash
    FilesOnly = 0x0080,         // wildcards match files only, never folders
    SimpleProgress = 0x0100,    // progress without file names
    NoConfirmMkDir = 0x0200,    // create a missing destination folder without asking
};

struct FileOpQuestion {
    enum class Kind {
        Overwrite,         // a file exists at the target: Yes, YesToAll, No (skip), Cancel
        CreateFolder,      // the destination folder does not exist: Yes or No
        ConfirmDelete,     // delete (or move to the trash) the listed items: Yes or No
        DeletePermanently, // an item cannot go to the trash; delete it for good: Yes or No
    };
    Kind kind;
    std::string text;   // the question as the user reads it
    std::string path;   // the item asked about (the target for Overwrite)
    std::string source; // Overwrite: the file that would replace it
};

enum class FileOpAnswer { Yes, YesToAll, No, Cancel };

struct FileOpProgress {
    std::uint64_t bytesDone = 0, bytesTotal = 0;
    std::uint64_t itemsDone = 0, itemsTotal = 0;
    std::string current; // the source being worked on; empty with SimpleProgress
};

class FileOpHandler {
public:
    virtual ~FileOpHandler() = default;
    virtual FileOpAnswer ask(const FileOpQuestion& q) = 0;
    // A failure or refusal; the operation stops after it.
    virtual void error(const std::string& text) = 0;
    virtual void progress(const FileOpProgress&) {}
    // Polled between items and between chunks of a file.
    virtual bool cancelled() { return false; }
};

struct NameMapping {
    std::string from, to;
};

class FileOperation {
public:
    FileOpKind operation = FileOpKind::Copy;
    unsigned flags = 0;
    std::vector<std::string> from;
    // Copy/Move: one destination folder, or with MultiDestFiles one target per source.
    // Rename: one new name per source; a bare name stays in the source's folder.
    std::vector<std::string> to;

    // Splits a list of paths joined by ";" (empty parts are dropped).
    static std::vector<std::string> splitList(const std::string& list);

    // Runs the operation; true only when everything asked was done (nothing skipped, refused,
    // failed or cancelled).
    bool execute(FileOpHandler& handler);

    // After execute: whether the user cancelled, and the new names given on collision.
    bool wasCancelled() const { return cancelled_; }
    const std::vector<NameMapping>& mappings() const { return mappings_; }

private:
    bool cancelled_ = false;
    std::vector<NameMapping> mappings_;
};

} // namespace korvel::files

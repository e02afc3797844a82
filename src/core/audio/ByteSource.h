#pragma once
// Where the tag and stream parsers read their bytes from: a file (read at positions, never as a
// whole) or a block of memory. Reads never fail silently: a read returns how many bytes it got.

#include "posix_io.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t Size() const = 0;
    // Reads up to buffer.size() bytes at offset; returns the count read (less at the end of the
    // source, 0 beyond it) or -1 on an input/output failure or a negative offset.
    virtual std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) override;

private:
    std::span<const std::uint8_t> bytes_;
};

class FileSource : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens a regular file for reading only; false when it is missing, unreadable or a folder.
    bool Open(const std::string& fileName);
    std::int64_t Size() const override { return size_; }
    std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) override;

private:
    posix::Fd fd_;
    std::int64_t size_ = 0;
};

// Gives the owner write permission (the counterpart of clearing the read-only attribute).
bool MakeOwnerWritable(const std::string& fileName);

// Replaces the first `skip` bytes of a file by `head`, keeping the rest. The new file is written
// beside the old one, flushed to disk and renamed over it in one step: whatever fails, the user
// has either the old file untouched or the complete new one, and no temporary file is left.
bool ReplaceFileHead(const std::string& fileName, std::span<const std::uint8_t> head, std::int64_t skip);

// One piece of a rewritten file: new bytes, or the bytes From to To of the old file (To = -1: to
// its end).
struct FilePiece {
    std::vector<std::uint8_t> Bytes;
    std::int64_t From = 0;
    std::int64_t To = 0;
    bool IsNew = false;
    static FilePiece New(std::vector<std::uint8_t> bytes) { return {std::move(bytes), 0, 0, true}; }
    static FilePiece Old(std::int64_t from, std::int64_t to = -1) { return {{}, from, to, false}; }
};

// Rewrites a file as the pieces in order, in one step as ReplaceFileHead does: a temporary file
// beside it, flushed, renamed over it. expectedSize (when not -1) is the size the old file must
// still have, so that a file changed since its tags were read is not cut wrongly.
bool RewriteFile(const std::string& fileName, const std::vector<FilePiece>& pieces,
                 std::int64_t expectedSize = -1);

} // namespace korvel

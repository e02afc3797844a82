#pragma once
// The libarchive functions the archive reader calls, loaded at run time.
//
// Every ZIP goes to the unzip engine, so most runs of the program never read another format;
// linking libarchive would still map it and what it links (libxml2, ICU, the compressors) and
// bind their symbols at every start. Instead libarchive.so.13 is opened the first time an
// archive of another format is read, and stays loaded. Its headers still give the types and
// constants.

#include <archive.h>
#include <archive_entry.h>

#include <string>

namespace korvel {

#define KORVEL_LIBARCHIVE_FUNCTIONS(F)                                                                       \
    F(archive_read_new)                                                                                      \
    F(archive_read_free)                                                                                     \
    F(archive_read_support_filter_gzip)                                                                      \
    F(archive_read_support_filter_bzip2)                                                                     \
    F(archive_read_support_filter_xz)                                                                        \
    F(archive_read_support_filter_lzma)                                                                      \
    F(archive_read_support_filter_lzip)                                                                      \
    F(archive_read_support_filter_zstd)                                                                      \
    F(archive_read_support_filter_compress)                                                                  \
    F(archive_read_support_format_7zip)                                                                      \
    F(archive_read_support_format_rar)                                                                       \
    F(archive_read_support_format_rar5)                                                                      \
    F(archive_read_support_format_lha)                                                                       \
    F(archive_read_support_format_cab)                                                                       \
    F(archive_read_support_format_iso9660)                                                                   \
    F(archive_read_support_format_tar)                                                                       \
    F(archive_read_support_format_cpio)                                                                      \
    F(archive_read_support_format_zip)                                                                       \
    F(archive_read_open_filename)                                                                            \
    F(archive_read_next_header)                                                                              \
    F(archive_read_data)                                                                                     \
    F(archive_read_has_encrypted_entries)                                                                    \
    F(archive_error_string)                                                                                  \
    F(archive_format)                                                                                        \
    F(archive_filter_bytes)                                                                                  \
    F(archive_entry_pathname)                                                                                \
    F(archive_entry_pathname_utf8)                                                                           \
    F(archive_entry_size_is_set)                                                                             \
    F(archive_entry_size)                                                                                    \
    F(archive_entry_mtime_is_set)                                                                            \
    F(archive_entry_mtime)                                                                                   \
    F(archive_entry_perm)                                                                                    \
    F(archive_entry_is_data_encrypted)                                                                       \
    F(archive_entry_hardlink)                                                                                \
    F(archive_entry_filetype)                                                                                \
    F(archive_entry_symlink)                                                                                 \
    F(archive_entry_symlink_utf8)

// One pointer per function, named as libarchive names it; all set, or `error` says why not.
struct LibArchiveFunctions {
#define KORVEL_LIBARCHIVE_POINTER(name) decltype(&::name) name = nullptr;
    KORVEL_LIBARCHIVE_FUNCTIONS(KORVEL_LIBARCHIVE_POINTER)
#undef KORVEL_LIBARCHIVE_POINTER
    std::string error; // "cannot load libarchive.so.13: ..." when the library is not usable
    bool loaded() const {
        return error.empty();
    }
};

// The table, loaded on the first call (from any thread; later calls wait for it).
const LibArchiveFunctions& libArchive();

} // namespace korvel

// The archive reader over libarchive.
//
// Only the formats and filters named in ArchiveReader.h are switched on: no "raw" format (so a
// single compressed file is not an archive), no "empty" format, no mtree (whose entries name
// files on disk), and no filter that would run an outside program on the archive's bytes.
// libarchive itself is loaded the first time an archive is opened (LibArchiveFunctions.h).
#include "core/archive/ArchiveReader.h"
#include "core/archive/ArchiveSniff.h"
#include "core/archive/LibArchiveFunctions.h"
#include "core/archive/SafeExtractor.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sys/stat.h>

#include "wildmatch.h"

namespace korvel {

bool memberNameMatches(std::string_view pattern, std::string_view name, bool ignoreCase) {
    return engine::wildmatch(pattern, name, ignoreCase);
}

std::string_view archiveFormatName(ArchiveFormat f) {
    switch (f) {
    case ArchiveFormat::None:
        return "";
    case ArchiveFormat::Zip:
        return "ZIP archive";
    case ArchiveFormat::SevenZip:
        return "7-Zip archive";
    case ArchiveFormat::Rar:
        return "RAR archive";
    case ArchiveFormat::Rar5:
        return "RAR 5 archive";
    case ArchiveFormat::Lha:
        return "LHA archive";
    case ArchiveFormat::Cab:
        return "Cabinet archive";
    case ArchiveFormat::Iso9660:
        return "ISO 9660 image";
    case ArchiveFormat::Tar:
        return "tar archive";
    case ArchiveFormat::Cpio:
        return "cpio archive";
    }
    return "";
}

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr std::uint64_t kRatio = 1000; // what a collector's archive never unpacks beyond

const LibArchiveFunctions& la() {
    return libArchive();
}

struct ArchiveCloser {
    void operator()(archive* a) const { la().archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

ArchiveFormat formatOf(int code) {
    switch (code & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_ZIP:
        return ArchiveFormat::Zip;
    case ARCHIVE_FORMAT_7ZIP:
        return ArchiveFormat::SevenZip;
    case ARCHIVE_FORMAT_RAR:
        return ArchiveFormat::Rar;
    case ARCHIVE_FORMAT_RAR_V5:
        return ArchiveFormat::Rar5;
    case ARCHIVE_FORMAT_LHA:
        return ArchiveFormat::Lha;
    case ARCHIVE_FORMAT_CAB:
        return ArchiveFormat::Cab;
    case ARCHIVE_FORMAT_ISO9660:
        return ArchiveFormat::Iso9660;
    case ARCHIVE_FORMAT_TAR:
        return ArchiveFormat::Tar;
    case ARCHIVE_FORMAT_CPIO:
        return ArchiveFormat::Cpio;
    default:
        return ArchiveFormat::None;
    }
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `opened`: libarchive chose a format (asking it about encrypted entries before then is unsafe).
bool mentionsEncryption(archive* a, bool opened) {
    if (opened && la().archive_read_has_encrypted_entries(a) > 0)
        return true;
    const char* s = la().archive_error_string(a);
    if (!s)
        return false;
    std::string m(s);
    std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return std::tolower(c); });
    return m.find("encrypt") != std::string::npos || m.find("password") != std::string::npos;
}

// One open archive: the file, its size and the bound on what reading it may unpack.
class OpenArchive {
public:
    ArchiveResult open(const std::string& path) {
        path_ = path;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return fail(ArchiveStatus::CannotOpen, "cannot open " + path);
        size_ = static_cast<std::uint64_t>(st.st_size);
        bound_ = std::max<std::uint64_t>(kGiB, size_ * kRatio);
        {
            std::ifstream in(path, std::ios::binary);
            char head[64] = {};
            in.read(head, sizeof head);
            const std::string_view got(head, static_cast<std::size_t>(in.gcount()));
            sniff_ = sniffVolume(got, size_);
            magic_ = got.substr(0, 8);
        }
        if (sniff_ == VolumeSniff::RarVolume)
            return multiVolume();
        if (!la().loaded())
            return fail(ArchiveStatus::Unavailable, la().error);
        a_.reset(la().archive_read_new());
        archive* a = a_.get();
        la().archive_read_support_filter_gzip(a);
        la().archive_read_support_filter_bzip2(a);
        la().archive_read_support_filter_xz(a);
        la().archive_read_support_filter_lzma(a);
        la().archive_read_support_filter_lzip(a);
        la().archive_read_support_filter_zstd(a);
        la().archive_read_support_filter_compress(a);
        la().archive_read_support_format_7zip(a);
        la().archive_read_support_format_rar(a);
        la().archive_read_support_format_rar5(a);
        la().archive_read_support_format_lha(a);
        la().archive_read_support_format_cab(a);
        la().archive_read_support_format_iso9660(a);
        la().archive_read_support_format_tar(a);
        la().archive_read_support_format_cpio(a);
        la().archive_read_support_format_zip(a);
        if (la().archive_read_open_filename(a, path.c_str(), 64 * 1024) != ARCHIVE_OK)
            return failure(true);
        opened_ = true;
        return {};
    }

    archive* get() const { return a_.get(); }
    // The format the first bytes announce, for a volume that libarchive is not given (or when
    // libarchive cannot be loaded).
    ArchiveFormat announced() const {
        if (magic_.rfind(std::string("Rar!\x1a\x07\x01", 7), 0) == 0)
            return ArchiveFormat::Rar5;
        if (magic_.rfind("Rar!", 0) == 0)
            return ArchiveFormat::Rar;
        if (magic_.rfind("7z\xbc\xaf", 0) == 0)
            return ArchiveFormat::SevenZip;
        return ArchiveFormat::None;
    }
    std::uint64_t size() const { return size_; }

    // The next member, or nullptr at the end (result Ok) or on an error (result set).
    archive_entry* next(ArchiveResult& result) {
        archive_entry* e = nullptr;
        const int rc = la().archive_read_next_header(a_.get(), &e);
        if (rc == ARCHIVE_EOF) {
            if (!seenHeader_)
                result = fail(ArchiveStatus::NotAnArchive, path_ + " holds no members");
            return nullptr;
        }
        if (rc < ARCHIVE_WARN) {
            result = failure(!seenHeader_);
            return nullptr;
        }
        seenHeader_ = true;
        if (formatOf(la().archive_format(a_.get())) == ArchiveFormat::Zip) {
            result = fail(ArchiveStatus::NotAnArchive, path_ + " is a ZIP archive");
            return nullptr;
        }
        if (static_cast<std::uint64_t>(la().archive_filter_bytes(a_.get(), 0)) > bound_) {
            result = tooLarge();
            return nullptr;
        }
        return e;
    }

    ArchiveFormat format() const { return formatOf(la().archive_format(a_.get())); }

    // Reads the current member's data, up to `limit` bytes (one more tells it holds more).
    ArchiveResult data(std::string& out, std::size_t limit) {
        char buf[64 * 1024];
        while (out.size() <= limit) {
            const la_ssize_t n = la().archive_read_data(a_.get(), buf, sizeof buf);
            if (n == 0)
                break;
            if (n < 0)
                return failure(false);
            out.append(buf, static_cast<std::size_t>(
                                std::min<la_ssize_t>(n, static_cast<la_ssize_t>(limit + 1 - out.size()))));
        }
        return {};
    }

    ArchiveResult failure(bool atStart) {
        archive* a = a_.get();
        if (mentionsEncryption(a, opened_))
            return fail(ArchiveStatus::Encrypted,
                        fileNameOf(path_) +
                            " is encrypted; Korvel does not read password-protected archives");
        if (sniff_ == VolumeSniff::SevenZipCut && looksLikeVolumeName(fileNameOf(path_)))
            return multiVolume();
        if (!opened_ || (atStart && !seenHeader_ && la().archive_format(a) == 0))
            return fail(ArchiveStatus::NotAnArchive, fileNameOf(path_) + " is not an archive Korvel reads");
        const char* why = la().archive_error_string(a);
        return fail(ArchiveStatus::Damaged,
                    fileNameOf(path_) + " is damaged" +
                        (why && *why ? std::string(" (") + why + ")" : std::string()));
    }

    ArchiveResult tooLarge() const {
        return fail(ArchiveStatus::TooLarge,
                    fileNameOf(path_) + " unpacks to far more than its size; reading stopped");
    }

private:
    ArchiveResult multiVolume() const {
        return fail(ArchiveStatus::MultiVolume, fileNameOf(path_) +
                                                    " is one volume of a multi-volume archive; Korvel reads "
                                                    "archives held in one file only");
    }
    static ArchiveResult fail(ArchiveStatus s, std::string m) { return {s, std::move(m)}; }

    ArchivePtr a_;
    std::string path_;
    std::uint64_t size_ = 0, bound_ = 0;
    VolumeSniff sniff_ = VolumeSniff::Whole;
    std::string magic_;
    bool seenHeader_ = false;
    bool opened_ = false;
};

ArchiveEntry entryOf(archive_entry* e) {
    ArchiveEntry out;
    const char* name = la().archive_entry_pathname(e);
    if (!name)
        name = la().archive_entry_pathname_utf8(e);
    out.name = name ? name : "";
    out.size = la().archive_entry_size_is_set(e)
                   ? static_cast<std::uint64_t>(std::max<la_int64_t>(0, la().archive_entry_size(e)))
                   : 0;
    out.mtime =
        la().archive_entry_mtime_is_set(e) ? static_cast<std::int64_t>(la().archive_entry_mtime(e)) : 0;
    out.permissions = static_cast<unsigned>(la().archive_entry_perm(e)) & 07777;
    out.encrypted = la().archive_entry_is_data_encrypted(e) > 0;
    if (const char* h = la().archive_entry_hardlink(e)) {
        out.type = ArchiveEntry::Type::Hardlink;
        out.linkTarget = h;
        out.size = 0;
        return out;
    }
    switch (la().archive_entry_filetype(e)) {
    case AE_IFREG:
        out.type = ArchiveEntry::Type::File;
        break;
    case AE_IFDIR:
        out.type = ArchiveEntry::Type::Directory;
        out.size = 0;
        break;
    case AE_IFLNK: {
        out.type = ArchiveEntry::Type::Symlink;
        const char* t = la().archive_entry_symlink(e);
        if (!t)
            t = la().archive_entry_symlink_utf8(e);
        out.linkTarget = t ? t : "";
        out.size = 0;
        break;
    }
    default:
        out.type = ArchiveEntry::Type::Other;
        break;
    }
    return out;
}

class LibArchiveReader final : public ArchiveReader {
public:
    ArchiveFormat detect(const std::string& path) const override {
        if (startsLikeZip(path))
            return ArchiveFormat::Zip;
        OpenArchive oa;
        if (const ArchiveResult r = oa.open(path); !r.ok())
            return r.status == ArchiveStatus::MultiVolume || r.status == ArchiveStatus::Unavailable
                       ? oa.announced()
                       : ArchiveFormat::None;
        archive_entry* e = nullptr;
        const int rc = la().archive_read_next_header(oa.get(), &e);
        const ArchiveFormat f = oa.format();
        if (rc == ARCHIVE_OK || rc == ARCHIVE_WARN)
            return f;
        // An archive whose first header cannot be read is still that archive when the format
        // was recognised (an encrypted 7-Zip header, a damaged member list).
        return rc == ARCHIVE_EOF ? ArchiveFormat::None : f;
    }

    ArchiveResult list(const std::string& path,
                       const std::function<bool(const ArchiveEntry&)>& visit) const override {
        OpenArchive oa;
        if (auto r = oa.open(path); !r.ok())
            return r;
        ArchiveResult result;
        while (archive_entry* e = oa.next(result)) {
            if (!visit(entryOf(e)))
                break;
        }
        return result;
    }

    ArchiveResult readFirstOf(const std::string& path, const std::vector<std::string>& names, bool ignoreCase,
                              std::size_t bound, FoundMember& found) const override {
        found = {};
        OpenArchive oa;
        if (auto r = oa.open(path); !r.ok())
            return r;
        std::size_t best = names.size();
        ArchiveResult result, memberError;
        while (best > 0) {
            archive_entry* e = oa.next(result);
            if (!e)
                break;
            if (la().archive_entry_filetype(e) != AE_IFREG || la().archive_entry_hardlink(e))
                continue;
            const ArchiveEntry entry = entryOf(e);
            std::size_t i = 0;
            while (i < best && !memberNameMatches(names[i], entry.name, ignoreCase))
                ++i;
            if (i == best)
                continue;
            std::string bytes;
            ArchiveResult r = entry.encrypted ? oa.failure(false) : oa.data(bytes, bound);
            if (!r.ok()) {
                // Like a member that is not there: the next name is tried. A damaged stream
                // ends the walk, as nothing after it can be trusted.
                memberError = r;
                if (r.status == ArchiveStatus::Encrypted && entry.encrypted)
                    continue;
                break;
            }
            best = i;
            found.index = i;
            found.name = entry.name;
            found.truncated = bytes.size() > bound;
            if (found.truncated)
                bytes.resize(bound);
            found.bytes = std::move(bytes);
        }
        if (best < names.size())
            return {};
        if (!result.ok())
            return result;
        if (!memberError.ok())
            return memberError;
        return {ArchiveStatus::NotFound, "no member matched"};
    }

    ArchiveResult extract(const std::string& path, const std::string& destination, const ExtractRequest& rq,
                          ExtractReport& report) const override {
        report = {};
        OpenArchive oa;
        if (auto r = oa.open(path); !r.ok())
            return r;
        SafeExtractor::Options o;
        o.withPaths = rq.withPaths;
        o.overwrite = rq.overwrite;
        o.onlyNewer = rq.onlyNewer;
        o.newerOrNew = rq.newerOrNew;
        o.maxTotalBytes =
            rq.maxTotalBytes ? rq.maxTotalBytes : std::max<std::uint64_t>(kGiB, oa.size() * kRatio);
        SafeExtractor out(o);
        std::string why;
        if (!out.open(destination, why))
            return {ArchiveStatus::WriteFailed, why};

        std::vector<bool> matched(rq.names.size(), false);
        ArchiveResult result;
        bool partial = false, writeFailed = false;
        while (archive_entry* e = oa.next(result)) {
            const ArchiveEntry entry = entryOf(e);
            if (!rq.names.empty()) {
                bool any = false;
                for (std::size_t i = 0; i < rq.names.size(); ++i)
                    if (memberNameMatches(rq.names[i], entry.name, rq.ignoreCase))
                        any = matched[i] = true;
                if (!any)
                    continue;
            }
            if (rq.progress && !rq.progress(entry.name, entry.size)) {
                report.cancelled = true;
                break;
            }
            SafeExtractor::Outcome got = SafeExtractor::Outcome::Nothing;
            ArchiveResult dataError;
            switch (entry.type) {
            case ArchiveEntry::Type::File:
                if (entry.encrypted) {
                    dataError = oa.failure(false);
                    got = SafeExtractor::Outcome::Damaged;
                    break;
                }
                got = out.file(entry.name, entry.mtime, entry.permissions, [&](char* buf, std::size_t cap) {
                    const la_ssize_t n = la().archive_read_data(oa.get(), buf, cap);
                    if (n < 0)
                        dataError = oa.failure(false);
                    return static_cast<std::ptrdiff_t>(n);
                });
                break;
            case ArchiveEntry::Type::Directory:
                got = out.folder(entry.name);
                break;
            case ArchiveEntry::Type::Symlink:
                got = out.symlink(entry.name, entry.linkTarget, entry.mtime);
                break;
            case ArchiveEntry::Type::Hardlink:
                got = out.hardlink(entry.name, entry.linkTarget);
                break;
            case ArchiveEntry::Type::Other:
                report.skipped.push_back(entry.name + ": not a file, folder or link; skipped");
                partial = true;
                continue;
            }
            switch (got) {
            case SafeExtractor::Outcome::Written:
                ++report.written;
                break;
            case SafeExtractor::Outcome::Kept:
                ++report.kept;
                break;
            case SafeExtractor::Outcome::Nothing:
                break;
            case SafeExtractor::Outcome::Unsafe:
                report.skipped.push_back(entry.name + ": would land outside the destination; skipped");
                partial = true;
                break;
            case SafeExtractor::Outcome::InTheWay:
                report.skipped.push_back(entry.name + ": a folder is in the way; skipped");
                partial = true;
                break;
            case SafeExtractor::Outcome::Damaged:
                report.skipped.push_back(entry.name + ": " +
                                         (dataError.message.empty() ? "cannot be read" : dataError.message));
                partial = true;
                if (dataError.status == ArchiveStatus::Damaged) // nothing after it can be trusted
                    return dataError;
                if (!dataError.ok())
                    result = dataError;
                break;
            case SafeExtractor::Outcome::WriteFailed:
                report.skipped.push_back(entry.name + ": cannot be written");
                writeFailed = true;
                break;
            case SafeExtractor::Outcome::TooLarge:
                return oa.tooLarge();
            }
        }
        if (!result.ok())
            return result;
        if (report.cancelled)
            return {ArchiveStatus::Partial, "cancelled"};
        if (!rq.names.empty() && std::none_of(matched.begin(), matched.end(), [](bool b) { return b; }))
            return {ArchiveStatus::NotFound, "no member matched"};
        if (writeFailed)
            return {ArchiveStatus::WriteFailed, "some files could not be written to " + destination};
        if (partial)
            return {ArchiveStatus::Partial, "some members were skipped"};
        return {};
    }
};

} // namespace

bool startsLikeZip(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    return in.gcount() == 4 &&
           (std::memcmp(head, "PK\x03\x04", 4) == 0 || std::memcmp(head, "PK\x05\x06", 4) == 0);
}

bool isReaderArchive(const std::string& path, const ArchiveReader& reader) {
    if (startsLikeZip(path))
        return false;
    const ArchiveFormat f = reader.detect(path);
    return f != ArchiveFormat::None && f != ArchiveFormat::Zip;
}

const ArchiveReader& archiveReader() {
    static const LibArchiveReader reader;
    return reader;
}

} // namespace korvel

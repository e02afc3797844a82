// libunzip32.so: the unzip engine. One entry point, Wiz_SingleEntryUnzip, serving the listing,
// print and extraction requests on top of libzip.
#include "central_dir.h"
#include "dir_cache.h"
#include "unzip_internal.h"
#include "wildmatch.h"
#include "ziptime.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::engine {

bool UnzipRequest::selected(std::string_view name) {
    bool in = include.empty();
    for (size_t i = 0; i < include.size(); ++i) {
        if (wildmatch(include[i], name, ignoreCase())) {
            in = true;
            includeMatched[i] = true;
        }
    }
    if (!in)
        return false;
    for (const auto& x : exclude) {
        if (wildmatch(x, name, ignoreCase()))
            return false;
    }
    return true;
}

int UnzipRequest::print(const char* text, size_t len) const {
    if (!uf || !uf->print)
        return 0;
    return uf->print(const_cast<char*>(text), static_cast<unsigned long>(len));
}

std::string memberName(zip_t* za, zip_uint64_t index) {
    const char* n = zip_get_name(za, index, ZIP_FL_ENC_GUESS);
    return n ? std::string(n) : std::string();
}

int worse(int a, int b) {
    auto rank = [](int r) {
        switch (r) {
        case PK_OK:
            return 0;
        case PK_WARN:
            return 1;
        case PK_FIND:
            return 2;
        case PK_BADPWD:
            return 3;
        case PK_ERR:
            return 4;
        case PK_DISK:
            return 5;
        default:
            return 6;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

const char* methodName(zip_int32_t m) {
    switch (m) {
    case ZIP_CM_STORE:
        return "Stored";
    case ZIP_CM_SHRINK:
        return "Shrunk";
    case ZIP_CM_REDUCE_1:
    case ZIP_CM_REDUCE_2:
    case ZIP_CM_REDUCE_3:
    case ZIP_CM_REDUCE_4:
        return "Reduced";
    case ZIP_CM_IMPLODE:
        return "Implode";
    case ZIP_CM_DEFLATE:
        return "Defl:N";
    case ZIP_CM_DEFLATE64:
        return "Def64#";
    case ZIP_CM_BZIP2:
        return "BZip2";
    case ZIP_CM_LZMA:
        return "LZMA";
    case ZIP_CM_XZ:
        return "XZ";
    default:
        return "Unk:###";
    }
}

int runListing(zip_t* za, UnzipRequest& rq) {
    const zip_int64_t count = zip_get_num_entries(za, 0);
    uint64_t total = 0, totalComp = 0;
    uint32_t members = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0)
            continue;
        std::string name = memberName(za, static_cast<zip_uint64_t>(i));
        if (!rq.selected(name))
            continue;
        MemberTime mt = memberTime(za, static_cast<zip_uint64_t>(i), st);
        struct tm tmv {};
        localtime_r(&mt.when, &tmv);
        const uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        const uint64_t csize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        unsigned factor = 0;
        if (size > 0 && csize < size)
            factor = static_cast<unsigned>(((size - csize) * 100) / size);
        const bool crypt = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        total += size;
        totalComp += csize;
        ++members;
        if (rq.uf && rq.uf->SendApplicationMessage) {
            rq.uf->SendApplicationMessage(
                size, csize, factor, static_cast<unsigned>(tmv.tm_mon + 1),
                static_cast<unsigned>(tmv.tm_mday), static_cast<unsigned>((tmv.tm_year + 1900) % 100),
                static_cast<unsigned>(tmv.tm_hour), static_cast<unsigned>(tmv.tm_min), ' ', name.c_str(),
                methodName(st.comp_method), static_cast<unsigned long>(st.crc), crypt ? 'E' : ' ');
        }
    }
    if (rq.uf) {
        rq.uf->TotalSize = total;
        rq.uf->TotalSizeComp = totalComp;
        rq.uf->NumMembers = members;
        rq.uf->CompFactor =
            total > 0 && totalComp < total ? static_cast<int32_t>(((total - totalComp) * 100) / total) : 0;
        zip_int32_t clen = 0;
        const char* c = zip_get_archive_comment(za, &clen, ZIP_FL_ENC_RAW);
        rq.uf->cchComment = c ? static_cast<uint32_t>(clen) : 0;
    }
    if (!rq.include.empty() && members == 0)
        return PK_FIND;
    return PK_OK;
}

int runPrint(zip_t* za, UnzipRequest& rq) {
    const zip_int64_t count = zip_get_num_entries(za, 0);
    size_t budget = UZ_PRINT_LIMIT;
    int result = PK_OK;
    bool delivered = false;
    bool matched = false;

    // One exact name, matched with case: the archive's name table answers at once.
    std::vector<zip_uint64_t> candidates;
    if (rq.include.size() == 1 && rq.exclude.empty() && !rq.ignoreCase() && !hasWildcards(rq.include[0])) {
        zip_int64_t idx = zip_name_locate(za, rq.include[0].c_str(), ZIP_FL_ENC_GUESS);
        if (idx >= 0)
            candidates.push_back(static_cast<zip_uint64_t>(idx));
    } else {
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* n = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
            if (n && rq.selected(n))
                candidates.push_back(static_cast<zip_uint64_t>(i));
        }
    }

    std::vector<char> buf;
    for (zip_uint64_t idx : candidates) {
        std::string name = memberName(za, idx);
        if (!name.empty() && name.back() == '/')
            continue; // a folder has no bytes to print
        matched = true;
        if (budget == 0)
            break;
        zip_file_t* zf = zip_fopen_index(za, idx, 0);
        if (!zf) {
            int ze = zip_error_code_zip(zip_get_error(za));
            zip_error_clear(za);
            result =
                worse(result, (ze == ZIP_ER_NOPASSWD || ze == ZIP_ER_WRONGPASSWD || ze == ZIP_ER_ENCRNOTSUPP)
                                  ? PK_BADPWD
                                  : PK_ERR);
            continue;
        }
        // Read the member whole (up to the bound) before delivering anything: a damaged member
        // delivers nothing.
        buf.clear();
        size_t have = 0;
        bool failed = false;
        while (have < budget) {
            size_t want = std::min<size_t>(budget - have, 64 * 1024);
            buf.resize(have + want + 1);
            zip_int64_t n = zip_fread(zf, buf.data() + have, want);
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0)
                break;
            have += static_cast<size_t>(n);
        }
        zip_fclose(zf);
        if (failed) {
            result = worse(result, PK_ERR);
            continue;
        }
        buf.resize(have + 1);
        buf[have] = '\0';
        rq.print(buf.data(), have);
        budget -= have;
        delivered = true;
    }
    if (!matched)
        return PK_FIND;
    if (!delivered && result == PK_OK)
        return PK_FIND;
    return result;
}

const char* methodName(zip_int32_t m);

namespace {

unsigned percentSaved(uint64_t size, uint64_t csize) {
    return size > 0 && csize < size ? static_cast<unsigned>(((size - csize) * 100) / size) : 0;
}

int fastListing(CentralDirectory& cd, UnzipRequest& rq) {
    uint64_t total = 0, totalComp = 0;
    uint32_t members = 0;
    CdEntry e;
    while (cd.next(e)) {
        if (!rq.selected(e.name))
            continue;
        unsigned mo, dy, yr, hh, mi;
        entryTime(e, mo, dy, yr, hh, mi);
        total += e.size;
        totalComp += e.compSize;
        ++members;
        if (rq.uf && rq.uf->SendApplicationMessage)
            rq.uf->SendApplicationMessage(e.size, e.compSize, percentSaved(e.size, e.compSize), mo, dy, yr,
                                          hh, mi, ' ', e.name.c_str(), methodName(e.method), e.crc,
                                          e.encrypted() ? 'E' : ' ');
    }
    if (rq.uf) {
        rq.uf->TotalSize = total;
        rq.uf->TotalSizeComp = totalComp;
        rq.uf->NumMembers = members;
        rq.uf->CompFactor = static_cast<int32_t>(percentSaved(total, totalComp));
        rq.uf->cchComment = static_cast<uint32_t>(cd.comment().size());
    }
    if (!rq.include.empty() && members == 0)
        return PK_FIND;
    return PK_OK;
}

// Reads a stored or deflated member straight from the map: at most `budget` bytes into `out`.
// Returns PK_OK, PK_ERR (damaged) or -1 (a method this path does not read: use libzip).
int readFast(const CentralDirectory& cd, const CdEntry& e, size_t budget, std::vector<char>& out) {
    if (e.method != ZIP_CM_STORE && e.method != ZIP_CM_DEFLATE)
        return -1;
    std::string_view data;
    if (!cd.memberData(e, data))
        return PK_ERR;
    out.clear();
    if (e.method == ZIP_CM_STORE) {
        size_t n = std::min<size_t>(data.size(), budget);
        out.assign(data.data(), data.data() + n);
        if (n == data.size() &&
            (data.size() != e.size ||
             ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(n)) != e.crc))
            return PK_ERR;
        return PK_OK;
    }
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return PK_MEM;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    uLong crc = 0;
    size_t have = 0;
    int zr = Z_OK;
    size_t avail = data.size();
    while (have < budget && zr != Z_STREAM_END) {
        size_t want = std::min<size_t>(budget - have, 256 * 1024);
        out.resize(have + want);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + have);
        z.avail_out = static_cast<uInt>(want);
        uInt chunk = static_cast<uInt>(std::min<size_t>(avail, 1u << 30));
        z.avail_in = chunk;
        zr = inflate(&z, Z_NO_FLUSH);
        avail -= chunk - z.avail_in;
        size_t got = want - z.avail_out;
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(out.data() + have), static_cast<uInt>(got));
        have += got;
        if (zr != Z_OK && zr != Z_STREAM_END) {
            inflateEnd(&z);
            return PK_ERR;
        }
        if (zr == Z_OK && got == 0 && z.avail_in == 0) {
            inflateEnd(&z);
            return PK_ERR; // the data ends before the stream does
        }
    }
    inflateEnd(&z);
    out.resize(have);
    if (zr == Z_STREAM_END && (have != e.size || crc != e.crc))
        return PK_ERR;
    return PK_OK;
}

// The members a print request asks for, in directory order. Plain names (no wildcards) are
// looked up in the name index; patterns walk the cached names.
void printCandidates(const DirIndex& idx, UnzipRequest& rq, std::vector<size_t>& out) {
    out.clear();
    const bool plain =
        !rq.include.empty() && std::none_of(rq.include.begin(), rq.include.end(),
                                            [](const std::string& n) { return hasWildcards(n); });
    if (plain) {
        std::vector<size_t> hits;
        for (const auto& n : rq.include) {
            idx.find(n, rq.ignoreCase(), hits);
            out.insert(out.end(), hits.begin(), hits.end());
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        std::erase_if(out, [&](size_t i) { return !rq.selected(idx.name(i)); });
        return;
    }
    for (size_t i = 0; i < idx.count(); ++i) {
        if (rq.selected(idx.name(i)))
            out.push_back(i);
    }
}

int fastPrint(const DirIndex& idx, const CentralDirectory& cd, UnzipRequest& rq, const char* path) {
    size_t budget = UZ_PRINT_LIMIT;
    int result = PK_OK;
    bool delivered = false, matched = false;
    zip_t* za = nullptr; // opened only for members this path does not read itself
    std::vector<char> buf;
    std::vector<size_t> candidates;
    printCandidates(idx, rq, candidates);
    for (size_t i : candidates) {
        if (budget == 0)
            break;
        const CdEntry e = idx.entry(i);
        if (e.name.empty() || e.name.back() == '/')
            continue;
        matched = true;
        if (e.encrypted()) {
            result = worse(result, PK_BADPWD);
            continue;
        }
        int r = readFast(cd, e, budget, buf);
        if (r < 0) {
            int err = 0;
            if (!za)
                za = zip_open(path, ZIP_RDONLY, &err);
            zip_file_t* zf = za ? zip_fopen_index(za, e.index, 0) : nullptr;
            r = PK_ERR;
            if (zf) {
                buf.clear();
                size_t have = 0;
                r = PK_OK;
                while (have < budget) {
                    size_t want = std::min<size_t>(budget - have, 64 * 1024);
                    buf.resize(have + want);
                    zip_int64_t n = zip_fread(zf, buf.data() + have, want);
                    if (n < 0)
                        r = PK_ERR;
                    if (n <= 0)
                        break;
                    have += static_cast<size_t>(n);
                }
                buf.resize(have);
                zip_fclose(zf);
            }
        }
        if (r != PK_OK) {
            result = worse(result, r);
            continue;
        }
        const size_t n = buf.size();
        buf.push_back('\0');
        rq.print(buf.data(), n);
        budget -= n;
        delivered = true;
    }
    if (za)
        zip_discard(za);
    if (!matched || (!delivered && result == PK_OK))
        return PK_FIND;
    return result;
}

} // namespace

int runFast(const char* path, UnzipRequest& rq) {
    CentralDirectory cd;
    std::string comment;
    int result;
    if (rq.dcl->nvflag) {
        if (!cd.open(path))
            return -1;
        result = fastListing(cd, rq);
        comment = cd.comment();
    } else {
        int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        struct stat st;
        const bool mapped = ::fstat(fd, &st) == 0 && cd.map(fd, st);
        ::close(fd);
        auto idx = mapped ? cachedIndex(path, cd, st) : nullptr;
        if (!idx)
            return -1;
        result = fastPrint(*idx, cd, rq, path);
        comment = idx->comment();
    }
    if (rq.dcl->nzflag && !comment.empty())
        rq.print(comment.c_str(), comment.size());
    return result;
}

} // namespace korvel::engine

using namespace korvel::engine;

namespace {

std::vector<std::string> names(int n, char** v) {
    std::vector<std::string> out;
    if (n <= 0 || !v)
        return out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (v[i])
            out.emplace_back(v[i]);
    }
    return out;
}

} // namespace

extern "C" ZE_API int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                           USERFUNCTIONS* lpUserFunc) {
    if (!lpDCL || !lpDCL->lpszZipFN || !*lpDCL->lpszZipFN)
        return PK_PARAM;
    UnzipRequest rq;
    rq.dcl = lpDCL;
    rq.uf = lpUserFunc;
    rq.include = names(ifnc, ifnv);
    rq.exclude = names(xfnc, xfnv);
    rq.includeMatched.assign(rq.include.size(), false);

    // Listing and print read the central directory directly; libzip does the rest, and takes
    // over whenever the direct reader cannot vouch for the archive.
    if (lpDCL->nvflag || lpDCL->ncflag) {
        int fast = runFast(lpDCL->lpszZipFN, rq);
        if (fast >= 0)
            return fast;
    }

    int err = 0;
    zip_t* za = zip_open(lpDCL->lpszZipFN, ZIP_RDONLY, &err);
    if (!za)
        return err == ZIP_ER_MEMORY ? PK_MEM : PK_NOZIP;

    int result;
    if (lpDCL->nvflag)
        result = runListing(za, rq);
    else if (lpDCL->ncflag)
        result = runPrint(za, rq);
    else
        result = runExtraction(za, rq);

    if (lpDCL->nzflag) {
        zip_int32_t clen = 0;
        const char* c = zip_get_archive_comment(za, &clen, ZIP_FL_ENC_RAW);
        if (c && clen > 0) {
            std::string text(c, static_cast<size_t>(clen));
            rq.print(text.c_str(), text.size());
        }
    }
    zip_discard(za);
    return result;
}

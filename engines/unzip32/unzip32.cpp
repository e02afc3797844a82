// libunzip32.so: the unzip engine. One entry point, Wiz_SingleEntryUnzip, serving the listing,
// print and extraction requests, all three over the same central directory reader.
#include "central_dir.h"
#include "dir_cache.h"
#include "member_decode.h"
#include "posix_io.h"
#include "unzip_internal.h"
#include "wildmatch.h"

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
        case PK_UNSUPP:
            return 4;
        case PK_ERR:
            return 5;
        case PK_DISK:
            return 6;
        default:
            return 7;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

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
                                          hh, mi, ' ', e.name.c_str(), methodListingName(e.method), e.crc,
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

bool plainNames(const UnzipRequest& rq) {
    return !rq.include.empty() && std::none_of(rq.include.begin(), rq.include.end(),
                                               [](const std::string& n) { return hasWildcards(n); });
}

// The members a print request of plain names (no wildcards) asks for, from the name index, in
// directory order. False when the index no longer fits the file.
bool indexCandidates(const DirIndex& idx, const CentralDirectory& cd, UnzipRequest& rq,
                     std::vector<CdEntry>& out) {
    out.clear();
    for (const auto& n : rq.include) {
        if (!idx.find(cd, n, rq.ignoreCase(), out))
            return false;
    }
    std::sort(out.begin(), out.end(), [](const CdEntry& a, const CdEntry& b) { return a.record < b.record; });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const CdEntry& a, const CdEntry& b) { return a.record == b.record; }),
              out.end());
    std::erase_if(out, [&](const CdEntry& e) { return !rq.selected(e.name); });
    return true;
}

// The members a print request of patterns asks for, by one walk over the directory. False when
// the directory is damaged.
bool scanCandidates(CentralDirectory& cd, UnzipRequest& rq, std::vector<CdEntry>& out) {
    out.clear();
    CdEntry e;
    uint64_t seen = 0;
    while (cd.next(e)) {
        ++seen;
        if (rq.selected(e.name))
            out.push_back(e);
    }
    return !cd.damaged() && seen == cd.count();
}

int printRequest(const std::vector<CdEntry>& candidates, const CentralDirectory& cd, UnzipRequest& rq) {
    uint64_t budget = UZ_PRINT_LIMIT, fullSize = 0;
    uint32_t members = 0;
    int result = PK_OK;
    bool delivered = false, matched = false;
    std::string buf;
    for (const CdEntry& e : candidates) {
        if (budget == 0)
            break;
        if (e.name.empty() || e.name.back() == '/')
            continue;
        matched = true;
        if (e.encrypted()) {
            result = worse(result, PK_BADPWD);
            continue;
        }
        std::string_view data;
        if (!cd.memberData(e, data)) {
            result = worse(result, PK_ERR);
            continue;
        }
        // The member whole (up to the bound) before anything is delivered: a damaged member
        // delivers nothing.
        buf.clear();
        const Decoded d = decodeMember(e, data, budget, [&buf](const char* p, size_t n) {
            buf.append(p, n);
            return true;
        });
        if (d == Decoded::Unsupported) {
            result = worse(result, PK_UNSUPP);
            continue;
        }
        if (d != Decoded::Ok && d != Decoded::Cut) {
            result = worse(result, d == Decoded::Memory ? PK_MEM : PK_ERR);
            continue;
        }
        const size_t n = buf.size();
        // A cut delivery says so through the totals: more bytes than were delivered.
        fullSize += d == Decoded::Cut ? std::max<uint64_t>(e.size, n + 1) : n;
        ++members;
        rq.print(buf.c_str(), n);
        budget -= n;
        delivered = true;
    }
    if (rq.uf) {
        rq.uf->TotalSize = fullSize;
        rq.uf->NumMembers = members;
    }
    if (!matched || (!delivered && result == PK_OK))
        return PK_FIND;
    return result;
}

} // namespace

int runRequest(const char* path, UnzipRequest& rq) {
    CentralDirectory cd;
    std::string comment;
    int result;
    if (rq.dcl->nvflag || !rq.dcl->ncflag) {
        if (!cd.open(path))
            return PK_NOZIP;
        comment = cd.comment();
        result = rq.dcl->nvflag ? fastListing(cd, rq) : runExtraction(cd, rq);
    } else {
        const posix::Fd fd(::open(path, O_RDONLY | O_CLOEXEC));
        if (!fd.valid())
            return PK_NOZIP;
        struct stat st;
        const bool mapped = ::fstat(fd.get(), &st) == 0 && cd.map(fd.get(), st);
        if (!mapped)
            return PK_NOZIP;
        std::vector<CdEntry> candidates;
        if (plainNames(rq)) {
            auto idx = cachedIndex(path, cd, st);
            if (idx && !indexCandidates(*idx, cd, rq, candidates)) {
                clearDirCache(); // the file changed without its stamp telling: read it again
                idx = cachedIndex(path, cd, st);
                if (idx && !indexCandidates(*idx, cd, rq, candidates))
                    idx = nullptr;
            }
            if (!idx)
                return PK_NOZIP;
        } else if (!cd.parse() || !scanCandidates(cd, rq, candidates)) {
            return PK_NOZIP;
        }
        comment = cd.comment();
        result = printRequest(candidates, cd, rq);
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

    try {
        return runRequest(lpDCL->lpszZipFN, rq);
    } catch (const std::bad_alloc&) {
        return PK_MEM;
    }
}

#include "engineclient/ArchiveEngine.h"

#include "engineclient/Engines.h"

#include <strings.h>

namespace korvel {

namespace {
// The engine's notes about one extraction are kept up to this size.
constexpr std::size_t kNotesLimit = 1u << 20;
} // namespace

int ArchiveEngine::list(const std::string& archive, std::vector<ArchiveMember>& members) {
    members.clear();
    std::string path = archive;
    DCL d;
    fillListingRequest(d, path.data());
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    UnzipSink sink;
    sink.listedMember = [&](const ArchiveMember& m) { members.push_back(m); };
    ScopedUnzipSink scope(sink);
    return Wiz_SingleEntryUnzip({}, d, f);
}

int ArchiveEngine::print(const std::string& archive, const std::string& member, std::string& bytes,
                         bool caseInsensitive) {
    bytes.clear();
    std::string path = archive;
    char empty[1] = {0};
    DCL d;
    fillPrintRequest(d, path.data(), empty);
    d.C_flag = caseInsensitive ? 1 : 0;
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    UnzipSink sink;
    sink.printedBytes = [&](std::string_view b) { bytes.append(b); };
    ScopedUnzipSink scope(sink);
    return Wiz_SingleEntryUnzip({member}, d, f);
}

int ArchiveEngine::extract(const std::string& archive, const std::string& destination,
                           const std::vector<std::string>& names, const ExtractFlags& flags,
                           std::string* notes) {
    std::string path = archive;
    std::string dest = destination;
    DCL d;
    fillExtractionRequest(d, path.data(), dest.data(), flags);
    UnzipSink sink;
    if (notes) {
        notes->clear();
        d.fQuiet = 0; // the engine names each member it could not extract
        sink.printedBytes = [notes](std::string_view b) {
            if (notes->size() < kNotesLimit)
                notes->append(b.substr(0, kNotesLimit - notes->size()));
        };
    }
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    ScopedUnzipSink scope(sink);
    unzipState().CapturePrint = false;
    return Wiz_SingleEntryUnzip(names, d, f);
}

std::string ArchiveEngine::unsupportedMethod(const std::string& archive, const std::string& member) {
    std::vector<ArchiveMember> members;
    list(archive, members);
    for (const ArchiveMember& m : members) {
        if (m.name.size() == member.size() &&
            ::strncasecmp(m.name.c_str(), member.c_str(), member.size()) == 0)
            return m.method;
    }
    return {};
}

int ArchiveEngine::zip(const std::string& archive, const std::vector<std::string>& files,
                       const ZPOPT& options) {
    std::lock_guard<std::recursive_mutex> g(engineLock());
    if (!ZpSetOptions(options))
        return ZE_PARMS;
    return add(archive, files);
}

int ArchiveEngine::add(const std::string& archive, const std::vector<std::string>& files) {
    std::lock_guard<std::recursive_mutex> g(engineLock());
    ZIPUSERFUNCTIONS f;
    Init_ZipUserFunctions(f);
    return ZpArchive(archive, files);
}

std::string ArchiveEngine::unzipResultText(int r) {
    switch (r) {
    case PK_OK:
        return "ok";
    case PK_WARN:
        return "some members were skipped";
    case PK_ERR:
        return "damaged member data";
    case PK_MEM:
        return "out of memory";
    case PK_NOZIP:
        return "not a readable zip archive";
    case PK_PARAM:
        return "bad arguments";
    case PK_FIND:
        return "no member matched";
    case PK_DISK:
        return "cannot write to the destination";
    case PK_CANCEL:
        return "cancelled";
    case PK_BADPWD:
        return "encrypted members skipped (no password)";
    case PK_UNSUPP:
        return "unsupported compression method";
    default:
        return "error " + std::to_string(r);
    }
}

std::string ArchiveEngine::zipResultText(int r) {
    switch (r) {
    case ZE_OK:
        return "ok";
    case ZE_FORM:
        return "the archive is damaged or not a zip archive";
    case ZE_MEM:
        return "out of memory";
    case ZE_ABORT:
        return "cancelled";
    case ZE_TEMP:
        return "the archive could not be written";
    case ZE_READ:
        return "a file could not be read; the archive was not changed";
    case ZE_NONE:
        return "nothing to do";
    case ZE_NAME:
        return "a name matched nothing";
    case ZE_PARMS:
        return "bad arguments or options";
    case ZE_OPEN:
        return "a file could not be opened";
    default:
        return "error " + std::to_string(r);
    }
}

} // namespace korvel

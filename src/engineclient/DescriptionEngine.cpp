#include "engineclient/DescriptionEngine.h"

#include "core/description/DescriptionSave.h"
#include "core/description/DescriptionText.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/Engines.h"
#include "engineclient/UnZip32.h"
#include "engineclient/Zip32.h"

#include <sys/stat.h>

#include <mutex>

namespace korvel {

LookupResult lookUpDescriptionInArchive(const LookupRequest& request) {
    UnzipState& st = unzipState();
    const bool wasCapturing = st.CapturePrint;
    st.CapturePrint = true;
    PrintCapture capture(UZ_PRINT_LIMIT);
    UnzipSink sink;
    sink.printedText = [&capture](std::string_view piece) { capture.add(piece.data(), piece.size()); };
    bool lastCut = false;
    LookupResult r = lookUpDescription(request, [&](const std::string& member, std::string& bytes) {
        capture.clear();
        uint64_t held = 0;
        const int rc = PrintRequest(request.archivePath, member, sink, &held);
        bytes = capture.text();
        lastCut = held > bytes.size() || capture.truncated();
        return rc;
    });
    // The search ends at the member found: the last request is the one shown.
    r.cut = r.found && lastCut;
    st.CapturePrint = wasCapturing;
    return r;
}

EmbedOutcome embedDescription(const std::string& archive, const std::string& member, std::string_view bytes,
                              char level, const std::filesystem::path& tempBase) {
    EmbedOutcome out;
    auto tmp = DescriptionTempFile::create(member, bytes, &out.failedPath, &out.reason, tempBase);
    if (!tmp) {
        out.status = EmbedOutcome::Status::TempFileFailed;
        return out;
    }
    // The save adds to an archive that is there; it never makes a new one in its place.
    struct stat st;
    if (archive.empty() || ::stat(archive.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out.status = EmbedOutcome::Status::ArchiveMissing;
        return out;
    }
    // Options and update are one piece of work for the engine: nobody else's options in between.
    std::lock_guard<std::recursive_mutex> g(engineLock());
    if (!ZpSetOptions(embeddingZipOptions(level))) {
        out.status = EmbedOutcome::Status::OptionsRefused;
        return out;
    }
    ZIPUSERFUNCTIONS f;
    Init_ZipUserFunctions(f);
    out.engineResult = ZpArchive(archive, {tmp->path().string()});
    if (out.engineResult != ZE_OK) {
        out.status = EmbedOutcome::Status::EngineFailed;
        out.reason = ArchiveEngine::zipResultText(out.engineResult);
    }
    return out;
}

std::string embedFailureText(const EmbedOutcome& o, const std::string& archive) {
    switch (o.status) {
    case EmbedOutcome::Status::Saved:
        return {};
    case EmbedOutcome::Status::TempFileFailed:
        return "Cannot create file " + o.failedPath;
    case EmbedOutcome::Status::OptionsRefused:
        return "Error setting Zip Options";
    case EmbedOutcome::Status::ArchiveMissing:
        return "The description was not saved: the archive " + archive + " is not there any more.";
    case EmbedOutcome::Status::EngineFailed:
        return "The description was not saved into " + archive + " (" + o.reason +
               "). The archive was not changed.";
    }
    return {};
}

} // namespace korvel

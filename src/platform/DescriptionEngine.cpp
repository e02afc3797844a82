#include "platform/DescriptionEngine.h"

#include "core/description/DescriptionSave.h"
#include "core/description/DescriptionText.h"
#include "platform/ArchiveEngine.h"
#include "platform/Engines.h"
#include "platform/UnZip32.h"
#include "platform/Zip32.h"

#include <QFile>
#include <QFileInfo>

#include <mutex>

namespace korvel {

LookupResult lookUpDescriptionInArchive(const LookupRequest& request) {
    UnzipState& st = unzipState();
    const bool wasCapturing = st.CapturePrint;
    st.CapturePrint = true;
    const QString archive = QFile::decodeName(QByteArray::fromStdString(request.archivePath));
    PrintCapture capture(UZ_PRINT_LIMIT);
    UnzipSink sink;
    sink.printedText = [&capture](const QByteArray& piece) {
        capture.add(piece.constData(), static_cast<std::size_t>(piece.size()));
    };
    bool lastCut = false;
    LookupResult r = lookUpDescription(request, [&](const std::string& member, std::string& bytes) {
        capture.clear();
        quint64 held = 0;
        const int rc = PrintRequest(archive, QString::fromStdString(member), sink, &held);
        bytes = capture.text();
        lastCut = held > bytes.size() || capture.truncated();
        return rc;
    });
    // The search ends at the member found: the last request is the one shown.
    r.cut = r.found && lastCut;
    st.CapturePrint = wasCapturing;
    return r;
}

EmbedOutcome embedDescription(const QString& archive, const std::string& member, std::string_view bytes,
                              char level, const std::filesystem::path& tempBase) {
    EmbedOutcome out;
    auto tmp = DescriptionTempFile::create(member, bytes, &out.failedPath, &out.reason, tempBase);
    if (!tmp) {
        out.status = EmbedOutcome::Status::TempFileFailed;
        return out;
    }
    // The save adds to an archive that is there; it never makes a new one in its place.
    const QFileInfo info(archive);
    if (archive.isEmpty() || !info.isFile()) {
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
    out.engineResult =
        ZpArchive(archive, {QFile::decodeName(QByteArray::fromStdString(tmp->path().string()))});
    if (out.engineResult != ZE_OK) {
        out.status = EmbedOutcome::Status::EngineFailed;
        out.reason = ArchiveEngine::zipResultText(out.engineResult).toStdString();
    }
    return out;
}

QString embedFailureText(const EmbedOutcome& o, const QString& archive) {
    switch (o.status) {
    case EmbedOutcome::Status::Saved:
        return {};
    case EmbedOutcome::Status::TempFileFailed:
        return QStringLiteral("Cannot create file %1")
            .arg(QFile::decodeName(QByteArray::fromStdString(o.failedPath)));
    case EmbedOutcome::Status::OptionsRefused:
        return QStringLiteral("Error setting Zip Options");
    case EmbedOutcome::Status::ArchiveMissing:
        return QStringLiteral("The description was not saved: the archive %1 is not there any more.")
            .arg(archive);
    case EmbedOutcome::Status::EngineFailed:
        return QStringLiteral("The description was not saved into %1 (%2). The archive was not changed.")
            .arg(archive, QString::fromStdString(o.reason));
    }
    return {};
}

} // namespace korvel

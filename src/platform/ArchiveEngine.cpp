#include "platform/ArchiveEngine.h"

#include "platform/Engines.h"

#include <QFile>

namespace korvel {

int ArchiveEngine::list(const QString& archive, QList<ArchiveMember>& members) {
    members.clear();
    QByteArray path = QFile::encodeName(archive);
    DCL d;
    fillListingRequest(d, path.data());
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    UnzipSink sink;
    sink.listedMember = [&](const ArchiveMember& m) { members.append(m); };
    ScopedUnzipSink scope(sink);
    return Wiz_SingleEntryUnzip({}, d, f);
}

int ArchiveEngine::print(const QString& archive, const QString& member, QByteArray& bytes,
                         bool caseInsensitive) {
    bytes.clear();
    QByteArray path = QFile::encodeName(archive);
    char empty[1] = {0};
    DCL d;
    fillPrintRequest(d, path.data(), empty);
    d.C_flag = caseInsensitive ? 1 : 0;
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    UnzipSink sink;
    sink.printedBytes = [&](const QByteArray& b) { bytes.append(b); };
    ScopedUnzipSink scope(sink);
    return Wiz_SingleEntryUnzip({member}, d, f);
}

int ArchiveEngine::extract(const QString& archive, const QString& destination, const QStringList& names,
                           const ExtractFlags& flags, QStringList* problems) {
    QByteArray path = QFile::encodeName(archive);
    QByteArray dest = QFile::encodeName(destination);
    DCL d;
    fillExtractionRequest(d, path.data(), dest.data(), flags);
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    QByteArray printed;
    UnzipSink sink;
    if (problems) {
        d.fQuiet = 0; // the engine names each member it could not extract
        sink.printedBytes = [&printed](const QByteArray& b) {
            if (printed.size() < (1 << 20))
                printed.append(b);
        };
    }
    ScopedUnzipSink scope(sink);
    const int r = Wiz_SingleEntryUnzip(names, d, f);
    if (problems) {
        for (const QByteArray& raw : printed.split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1String("error:")) || line.startsWith(QLatin1String("warning:")) ||
                line.startsWith(QLatin1String("skipping:")))
                *problems << line;
        }
    }
    return r;
}

QString ArchiveEngine::unsupportedMethod(const QString& archive, const QString& member) {
    QList<ArchiveMember> members;
    list(archive, members);
    for (const ArchiveMember& m : members) {
        if (m.name.compare(member, Qt::CaseInsensitive) == 0)
            return m.method;
    }
    return {};
}

int ArchiveEngine::zip(const QString& archive, const QStringList& files, const ZPOPT& options) {
    std::lock_guard<std::recursive_mutex> g(engineLock());
    if (!ZpSetOptions(options))
        return ZE_PARMS;
    ZIPUSERFUNCTIONS f;
    Init_ZipUserFunctions(f);
    return ZpArchive(archive, files);
}

QString ArchiveEngine::unzipResultText(int r) {
    switch (r) {
    case PK_OK:
        return QStringLiteral("ok");
    case PK_WARN:
        return QStringLiteral("some members were skipped");
    case PK_ERR:
        return QStringLiteral("damaged member data");
    case PK_MEM:
        return QStringLiteral("out of memory");
    case PK_NOZIP:
        return QStringLiteral("not a readable zip archive");
    case PK_PARAM:
        return QStringLiteral("bad arguments");
    case PK_FIND:
        return QStringLiteral("no member matched");
    case PK_DISK:
        return QStringLiteral("cannot write to the destination");
    case PK_CANCEL:
        return QStringLiteral("cancelled");
    case PK_BADPWD:
        return QStringLiteral("encrypted members skipped (no password)");
    case PK_UNSUPP:
        return QStringLiteral("unsupported compression method");
    default:
        return QStringLiteral("error %1").arg(r);
    }
}

QString ArchiveEngine::zipResultText(int r) {
    switch (r) {
    case ZE_OK:
        return QStringLiteral("ok");
    case ZE_FORM:
        return QStringLiteral("the archive is damaged or not a zip archive");
    case ZE_MEM:
        return QStringLiteral("out of memory");
    case ZE_ABORT:
        return QStringLiteral("cancelled");
    case ZE_TEMP:
        return QStringLiteral("the archive could not be written");
    case ZE_READ:
        return QStringLiteral("a file could not be read; the archive was not changed");
    case ZE_NONE:
        return QStringLiteral("nothing to do");
    case ZE_NAME:
        return QStringLiteral("a name matched nothing");
    case ZE_PARMS:
        return QStringLiteral("bad arguments or options");
    case ZE_OPEN:
        return QStringLiteral("a file could not be opened");
    default:
        return QStringLiteral("error %1").arg(r);
    }
}

} // namespace korvel

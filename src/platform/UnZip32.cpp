#include "platform/UnZip32.h"

#include "core/archive/ListingLine.h"
#include "platform/Engines.h"
#include "platform/NameVector.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstring>

namespace korvel {

UnzipState& unzipState() {
    static UnzipState s;
    return s;
}

namespace {
std::atomic<ScopedUnzipSink*> currentSink{nullptr};
} // namespace

struct SinkAccess {
    // Runs fn on the sink's thread (at once when already there).
    template <typename Fn> static void deliver(Fn&& fn) {
        ScopedUnzipSink* s = currentSink.load();
        if (!s)
            return;
        if (!s->context_ || QThread::currentThread() == s->context_->thread()) {
            fn(s->sink_);
            return;
        }
        QMetaObject::invokeMethod(
            s->context_, [&] { fn(s->sink_); }, Qt::BlockingQueuedConnection);
    }
};

ScopedUnzipSink::ScopedUnzipSink(UnzipSink sink) : sink_(std::move(sink)) {
    if (QCoreApplication::instance())
        context_ = new QObject;
    previous_ = currentSink.exchange(this);
}

ScopedUnzipSink::~ScopedUnzipSink() {
    currentSink.store(previous_);
    delete context_;
}

extern "C" int UnzipPrint(char* text, unsigned long length) {
    if (!text)
        return static_cast<int>(length);
    const bool capture = unzipState().CapturePrint;
    SinkAccess::deliver([&](UnzipSink& s) {
        if (s.printedBytes)
            s.printedBytes(QByteArray(text, static_cast<qsizetype>(length)));
        if (capture && s.printedText)
            s.printedText(QByteArray(text, static_cast<qsizetype>(length)));
    });
    return static_cast<int>(length);
}

extern "C" int UnzipReplace(char*) {
    return 1;
}
extern "C" int UnzipPassword(char*, int, const char*, const char*) {
    return 1;
}
extern "C" int UnzipService(const char*, unsigned long) {
    return 0;
}

extern "C" void UnzipMessage(uint64_t ucsize, uint64_t csize, unsigned cfactor, unsigned mo, unsigned dy,
                             unsigned yr, unsigned hh, unsigned mm, char, const char* filename,
                             const char* methbuf, unsigned long crc, char fCrypt) {
    const char* fn = filename ? filename : "";
    ArchiveMember m;
    m.name = QString::fromUtf8(fn);
    m.line = QString::fromUtf8(formatListingLine(ucsize, mo, dy, yr, hh, mm, fn));
    m.size = ucsize;
    m.compressedSize = csize;
    m.factor = cfactor;
    m.month = mo;
    m.day = dy;
    m.year = yr;
    m.hour = hh;
    m.minute = mm;
    m.method = QString::fromLatin1(methbuf ? methbuf : "");
    m.crc = static_cast<quint32>(crc);
    m.encrypted = fCrypt == 'E';
    UnzipState& st = unzipState();
    const bool capture = st.CaptureListing;
    SinkAccess::deliver([&](UnzipSink& s) {
        if (capture) {
            st.MemberNames.append(m.name);
            if (s.listedLine)
                s.listedLine(m.line);
        }
        if (s.listedMember)
            s.listedMember(m);
    });
}

void Init_UnzipUserFunctions(USERFUNCTIONS& f) {
    std::memset(&f, 0, sizeof f);
    f.print = UnzipPrint;
    f.sound = nullptr;
    f.replace = UnzipReplace;
    f.password = UnzipPassword;
    f.SendApplicationMessage = UnzipMessage;
    f.ServCallBk = UnzipService;
}

namespace {
void common(DCL& d, char* archive) {
    std::memset(&d, 0, sizeof d);
    d.fQuiet = 2;
    d.fPrivilege = 1;
    d.lpszZipFN = archive;
}
} // namespace

void fillListingRequest(DCL& d, char* archive) {
    common(d, archive);
    d.nvflag = 1;
    d.nUflag = 1;
    d.C_flag = 1;
    d.lpszExtractDir = nullptr;
}

void fillExtractionRequest(DCL& d, char* archive, char* destination, const ExtractFlags& f) {
    common(d, archive);
    d.ExtractOnlyNewer = f.ExtractOnlyNewer;
    d.nUflag = f.nUflag;
    d.ndflag = f.ndflag;
    d.noflag = f.noflag;
    d.C_flag = f.C_flag;
    d.lpszExtractDir = destination;
}

void fillPrintRequest(DCL& d, char* archive, char* emptyDestination) {
    common(d, archive);
    d.ncflag = 1;
    d.nUflag = 1;
    d.C_flag = 1;
    d.lpszExtractDir = emptyDestination;
}

int Wiz_SingleEntryUnzip(const QStringList& include, DCL& d, USERFUNCTIONS& f) {
    NameVector v(include);
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::unzip().Wiz_SingleEntryUnzip(v.count(), v.data(), 0, nullptr, &d, &f);
}

int ListingRequest(const QString& archive, const UnzipSink& sink) {
    UnzipState& st = unzipState();
    QByteArray path = QFile::encodeName(archive);
    DCL d;
    fillListingRequest(d, path.data());
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    ScopedUnzipSink scope(sink);
    st.CaptureListing = true;
    st.MemberNames.clear();
    int r = Wiz_SingleEntryUnzip({}, d, f);
    st.CaptureListing = false;
    return r;
}

int PrintRequest(const QString& archive, const QString& member, const UnzipSink& sink, quint64* memberBytes) {
    QByteArray path = QFile::encodeName(archive);
    char empty[1] = {0};
    DCL d;
    fillPrintRequest(d, path.data(), empty);
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    ScopedUnzipSink scope(sink);
    const int r = Wiz_SingleEntryUnzip({member}, d, f);
    if (memberBytes)
        *memberBytes = f.TotalSize;
    return r;
}

int ExtractionRequest(const QString& archive, const QString& destination, const ExtractFlags& flags,
                      const QStringList& names) {
    QByteArray path = QFile::encodeName(archive);
    QByteArray dest = QFile::encodeName(destination);
    DCL d;
    fillExtractionRequest(d, path.data(), dest.data(), flags);
    USERFUNCTIONS f;
    Init_UnzipUserFunctions(f);
    unzipState().CapturePrint = false;
    return Wiz_SingleEntryUnzip(names, d, f);
}

} // namespace korvel

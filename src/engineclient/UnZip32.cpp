#include "engineclient/UnZip32.h"

#include "core/archive/ListingLine.h"
#include "engineclient/Engines.h"
#include "engineclient/NameVector.h"

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
    // Runs fn with the innermost sink, on its thread when it asked for that.
    template <typename Fn> static void deliver(Fn&& fn) {
        ScopedUnzipSink* s = currentSink.load();
        if (!s)
            return;
        if (!s->dispatch_) {
            fn(s->sink_);
            return;
        }
        s->dispatch_([&] { fn(s->sink_); });
    }
};

ScopedUnzipSink::ScopedUnzipSink(UnzipSink sink, SinkDispatch dispatch)
    : sink_(std::move(sink)), dispatch_(std::move(dispatch)) {
    previous_ = currentSink.exchange(this);
}

ScopedUnzipSink::~ScopedUnzipSink() {
    currentSink.store(previous_);
}

extern "C" int UnzipPrint(char* text, unsigned long length) {
    if (!text)
        return static_cast<int>(length);
    const bool capture = unzipState().CapturePrint;
    SinkAccess::deliver([&](UnzipSink& s) {
        if (s.printedBytes)
            s.printedBytes(std::string_view(text, length));
        if (capture && s.printedText)
            s.printedText(std::string_view(text, length));
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
    m.name = fn;
    m.line = formatListingLine(ucsize, mo, dy, yr, hh, mm, fn);
    m.size = ucsize;
    m.compressedSize = csize;
    m.factor = cfactor;
    m.month = mo;
    m.day = dy;
    m.year = yr;
    m.hour = hh;
    m.minute = mm;
    m.method = methbuf ? methbuf : "";
    m.crc = static_cast<std::uint32_t>(crc);
    m.encrypted = fCrypt == 'E';
    const bool capture = unzipState().CaptureListing;
    SinkAccess::deliver([&](UnzipSink& s) {
        if (capture && s.listedLine)
            s.listedLine(m);
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

int Wiz_SingleEntryUnzip(const std::vector<std::string>& include, DCL& d, USERFUNCTIONS& f) {
    NameVector v(include);
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::unzip().Wiz_SingleEntryUnzip(v.count(), v.data(), 0, nullptr, &d, &f);
}

int PrintRequest(const std::string& archive, const std::string& member, const UnzipSink& sink,
                 uint64_t* memberBytes) {
    std::string path = archive;
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

} // namespace korvel

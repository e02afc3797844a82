#pragma once
// The program's side of the unzip engine (libunzip32.so): the callbacks, the program-wide
// engine state (CapturePrint, CaptureListing, MemberNames, ExtractNames), the three requests
// (listing, print, extraction) and the sink through which a window receives what the engine
// prints or lists during one call.

#include "zipengines.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QObject;

namespace korvel {

// The engine state the main window owns; one per process.
struct UnzipState {
    bool CapturePrint = false;   // printed text goes to the description editor
    bool CaptureListing = false; // listing lines go to FilesList, names to MemberNames
    QStringList MemberNames;     // member names of the archive last listed, in engine order
    QStringList ExtractNames;    // names chosen for the current extraction
};
UnzipState& unzipState();

// One member as the listing reports it.
struct ArchiveMember {
    QString name;
    QString line; // the listing line of FilesList
    quint64 size = 0, compressedSize = 0;
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0; // year modulo 100
    unsigned factor = 0;                                         // percent saved
    QString method;
    quint32 crc = 0;
    bool encrypted = false;
};

// Receivers for one engine call. Slots left empty receive nothing.
struct UnzipSink {
    // While CapturePrint is set: each printed piece whole (a description may hold zero
    // bytes); the description editor appends it as one new line.
    std::function<void(const QByteArray& text)> printedText;
    // While CaptureListing is set: each listing line (a FilesList row).
    std::function<void(const QString& line)> listedLine;
    // Always: each printed piece whole (binary members included).
    std::function<void(const QByteArray& bytes)> printedBytes;
    // Always: each listed member.
    std::function<void(const ArchiveMember& m)> listedMember;
};

// Installs a sink for the duration of one engine call (RAII). The sink's functions run on the
// thread that installed it: when the engine works on another thread (the busy window's worker)
// each callback is handed over to the installing thread, which must run an event loop
// meanwhile (runWithBusyWindow does).
class ScopedUnzipSink {
public:
    explicit ScopedUnzipSink(UnzipSink sink);
    ~ScopedUnzipSink();
    ScopedUnzipSink(const ScopedUnzipSink&) = delete;
    ScopedUnzipSink& operator=(const ScopedUnzipSink&) = delete;

private:
    UnzipSink sink_;
    QObject* context_ = nullptr;
    ScopedUnzipSink* previous_ = nullptr;
    friend struct SinkAccess;
};

// The unzip callbacks: print (see UnzipSink), replace answers 1 (keep the file), password writes
// nothing and answers 1 (no password), message builds the listing line, service answers 0.
extern "C" int UnzipPrint(char* text, unsigned long length);
extern "C" int UnzipReplace(char* name);
extern "C" int UnzipPassword(char* buffer, int size, const char* prompt, const char* name);
extern "C" void UnzipMessage(uint64_t ucsize, uint64_t csize, unsigned cfactor, unsigned mo, unsigned dy,
                             unsigned yr, unsigned hh, unsigned mm, char c, const char* filename,
                             const char* methbuf, unsigned long crc, char fCrypt);
extern "C" int UnzipService(const char* name, unsigned long size);

// Fills the six callback slots (sound stays null) and clears the totals.
void Init_UnzipUserFunctions(USERFUNCTIONS& f);

// The extraction request's five check boxes.
struct ExtractFlags {
    bool ExtractOnlyNewer = false; // "extract only newer files"
    bool nUflag = false;           // "extract only newer/new files"
    bool ndflag = false;           // "extract with path"
    bool noflag = false;           // "always overwrite files"
    bool C_flag = true;            // "case insensitive"
};

// Request records as the program fills them. The strings stay owned by the caller.
void fillListingRequest(DCL& d, char* archive);
void fillExtractionRequest(DCL& d, char* archive, char* destination, const ExtractFlags& f);
void fillPrintRequest(DCL& d, char* archive, char* emptyDestination);

// The engine call itself (serialised with every other engine call).
int Wiz_SingleEntryUnzip(const QStringList& include, DCL& d, USERFUNCTIONS& f);

// Listing request: clears MemberNames, sets CaptureListing for the call, and reports each line
// to sink.listedLine and each member to sink.listedMember. Returns the engine's result (PK_*).
int ListingRequest(const QString& archive, const UnzipSink& sink = {});
// Print request for one member name (patterns allowed): text goes to the sink (printedText
// only while the caller has CapturePrint set). 0 exactly when found and delivered. *memberBytes
// gets the bytes the member holds: more than were delivered when the delivery was cut at
// UZ_PRINT_LIMIT.
int PrintRequest(const QString& archive, const QString& member, const UnzipSink& sink,
                 quint64* memberBytes = nullptr);
// Extraction request of `names` (all members when empty) into `destination`; CapturePrint is
// false during the call.
int ExtractionRequest(const QString& archive, const QString& destination, const ExtractFlags& f,
                      const QStringList& names);

} // namespace korvel

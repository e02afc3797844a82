#pragma once
// The program's side of the unzip engine (libunzip32.so): the callbacks, the two capture flags
// (CapturePrint, CaptureListing), the request records and the sink through which a caller
// receives what the engine prints or lists during one call. Paths and member names are bytes
// as the file system and the archive hold them.

#include "zipengines.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// The capture flags of the engine state; one set per process.
struct UnzipState {
    bool CapturePrint = false;   // printed text goes to the description editor
    bool CaptureListing = false; // listing lines go to the Extract dialog's list
};
UnzipState& unzipState();

// One member as the listing reports it.
struct ArchiveMember {
    std::string name; // the member's name as the archive holds it
    std::string line; // the listing line of FilesList
    std::uint64_t size = 0, compressedSize = 0;
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0; // year modulo 100
    unsigned factor = 0;                                         // percent saved
    std::string method;
    std::uint32_t crc = 0;
    bool encrypted = false;
};

// Receivers for one engine call. Slots left empty receive nothing.
struct UnzipSink {
    // While CapturePrint is set: each printed piece whole (a description may hold zero
    // bytes); the description editor appends it as one new line.
    std::function<void(std::string_view text)> printedText;
    // While CaptureListing is set: each listed member (its line is a FilesList row).
    std::function<void(const ArchiveMember& m)> listedLine;
    // Always: each printed piece whole (binary members included).
    std::function<void(std::string_view bytes)> printedBytes;
    // Always: each listed member.
    std::function<void(const ArchiveMember& m)> listedMember;
};

// How a sink's calls reach the thread that installed it: given a call, runs it there. Empty:
// the calls run on whatever thread the engine calls back on.
using SinkDispatch = std::function<void(const std::function<void()>& call)>;

// Installs a sink for the duration of one engine call (RAII); the innermost one receives.
class ScopedUnzipSink {
public:
    explicit ScopedUnzipSink(UnzipSink sink, SinkDispatch dispatch = {});
    ~ScopedUnzipSink();
    ScopedUnzipSink(const ScopedUnzipSink&) = delete;
    ScopedUnzipSink& operator=(const ScopedUnzipSink&) = delete;

private:
    UnzipSink sink_;
    SinkDispatch dispatch_;
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
int Wiz_SingleEntryUnzip(const std::vector<std::string>& include, DCL& d, USERFUNCTIONS& f);

// Print request for one member name (patterns allowed): text goes to the sink (printedText
// only while the caller has CapturePrint set). 0 exactly when found and delivered. *memberBytes
// gets the bytes the member holds: more than were delivered when the delivery was cut at
// UZ_PRINT_LIMIT.
int PrintRequest(const std::string& archive, const std::string& member, const UnzipSink& sink,
                 uint64_t* memberBytes = nullptr);

} // namespace korvel

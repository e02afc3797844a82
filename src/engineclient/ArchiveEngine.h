#pragma once
// The one C++ face of the two archive engines, shared by the windows and korvel-cli. Each call is
// one engine request. Paths and member names are bytes as the file system and the archive hold
// them. None of the calls sets a capture flag; an extraction clears CapturePrint, as every
// extraction does.

#include "engineclient/UnZip32.h"
#include "engineclient/Zip32.h"

#include <string>
#include <vector>

namespace korvel {

class ArchiveEngine {
public:
    // Every member in archive order. Returns the engine's result (PK_OK, PK_NOZIP, ...).
    static int list(const std::string& archive, std::vector<ArchiveMember>& members);
    // The bytes of the member(s) matching `member` (case-insensitive, patterns allowed), at most
    // UZ_PRINT_LIMIT bytes. 0 exactly when found and delivered.
    static int print(const std::string& archive, const std::string& member, std::string& bytes,
                     bool caseInsensitive = true);
    // Extracts `names` (patterns allowed; all members when empty) into `destination`. With
    // `notes`, the engine names each member it could not extract there (at most 1 MiB of text).
    static int extract(const std::string& archive, const std::string& destination,
                       const std::vector<std::string>& names, const ExtractFlags& flags,
                       std::string* notes = nullptr);
    // Hands `options` to the zip engine (they stay in force afterwards, as with every
    // ZpSetOptions), then adds `files` to `archive`. A refused options record gives ZE_PARMS.
    static int zip(const std::string& archive, const std::vector<std::string>& files, const ZPOPT& options);
    // The compression method (as the listing names it) of the member `member` (without regard
    // to ASCII case), to say which method a PK_UNSUPP result was about.
    static std::string unsupportedMethod(const std::string& archive, const std::string& member);
    // Adds `files` to `archive` under the options the zip engine holds (the packer's run).
    static int add(const std::string& archive, const std::vector<std::string>& files);

    // A short English text for an engine result, for korvel-cli and the windows' messages.
    static std::string unzipResultText(int result);
    static std::string zipResultText(int result);
};

} // namespace korvel

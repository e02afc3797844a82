#pragma once
// A typed C++ face of the two archive engines, shared by the windows and korvel-cli. Each call is
// one engine request; none of them touches the program-wide UnzipState (CapturePrint,
// CaptureListing, MemberNames), so they can be used anywhere.

#include "platform/UnZip32.h"
#include "platform/Zip32.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

class ArchiveEngine {
public:
    // Every member in archive order. Returns the engine's result (PK_OK, PK_NOZIP, ...).
    static int list(const QString& archive, QList<ArchiveMember>& members);
    // The bytes of the member(s) matching `member` (case-insensitive, patterns allowed), at most
    // UZ_PRINT_LIMIT bytes. 0 exactly when found and delivered.
    static int print(const QString& archive, const QString& member, QByteArray& bytes,
                     bool caseInsensitive = true);
    // Extracts `names` (patterns allowed; all members when empty) into `destination`. With
    // `problems`, the engine's account of each member it skipped or could not extract.
    static int extract(const QString& archive, const QString& destination, const QStringList& names,
                       const ExtractFlags& flags, QStringList* problems = nullptr);
    // The compression method (as the listing names it) of the member `member` (without regard
    // to case), to say which method a PK_UNSUPP result was about.
    static QString unsupportedMethod(const QString& archive, const QString& member);
    // Hands `options` to the zip engine (they stay in force afterwards, as with every
    // ZpSetOptions), then adds `files` to `archive`. A refused options record gives ZE_PARMS.
    static int zip(const QString& archive, const QStringList& files, const ZPOPT& options);

    // A short English text for an engine result, for korvel-cli and logs.
    static QString unzipResultText(int result);
    static QString zipResultText(int result);
};

} // namespace korvel

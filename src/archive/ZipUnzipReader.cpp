// The Extract dialog on archives other than ZIP: listing and extraction through the archive
// reader, with the same boxes, the same busy window and the same report of what went wrong.
#include "archive/ZipUnzip.h"

#include "archive/ZipWait.h"
#include "core/archive/ArchiveReader.h"
#include "core/archive/EntryListing.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace korvel {
namespace {

constexpr int MaxProblemLines = 12;

// Names and messages hold the file system's bytes, Latin-1 names too: kept whole both ways.
QString fromBytes(const std::string& s) {
    return pathText(s);
}

// A stored name as a pattern that matches that name only.
std::string literalBytes(const std::string& name) {
    std::string p;
    for (char c : name) {
        if (c == '*' || c == '?' || c == '[')
            p += std::string("[") + c + "]";
        else
            p += c;
    }
    return p;
}

} // namespace

bool TFrmUnzip::listWithReader(const QString& archive) {
    const std::string path = pathBytes(archive);
    if (!isReaderArchive(path))
        return false;
    MemberNames().clear();
    FilesList->clear();
    QStringList lines, names;
    const ArchiveResult r = archiveReader().list(path, [&](const ArchiveEntry& e) {
        lines << fromBytes(listingLineFor(e));
        names << fromBytes(e.name);
        listedBytes_.push_back(e.name);
        return true;
    });
    MemberNames() = names;
    FilesList->addItems(lines);
    listedArchive_ = archive;
    if (!r.ok())
        Prompts::current().showError(this, QStringLiteral("Unzip"), fromBytes(r.message));
    return true;
}

bool TFrmUnzip::extractWithReader(const QString& archive, const QString& destination, bool all) {
    const std::string path = pathBytes(archive);
    if (!isReaderArchive(path))
        return false;
    QStringList& chosen = ExtractNames();
    chosen.clear();
    ExtractRequest rq;
    const QStringList& members = MemberNames();
    const bool sameArchive = archive == listedArchive_ && listedBytes_.size() == std::size_t(members.size());
    const int rows = std::min(FilesList->count(), static_cast<int>(members.size()));
    for (int i = 0; i < rows; ++i) {
        if (!all && !FilesList->item(i)->isSelected())
            continue;
        chosen << members.at(i);
        rq.names.push_back(sameArchive ? literalBytes(listedBytes_[static_cast<std::size_t>(i)])
                                       : pathBytes(literalPattern(members.at(i))));
    }
    if (chosen.isEmpty())
        return true;
    if (all && sameArchive)
        rq.names.clear(); // every member, in one pass
    rq.withPaths = chDFlag->isChecked();
    rq.overwrite = chOFlag->isChecked();
    rq.onlyNewer = chExtractOnlyNewer->isChecked();
    rq.newerOrNew = chUFlag->isChecked();
    rq.ignoreCase = chC_flag->isChecked();

    ExtractReport report;
    ArchiveResult r;
    const std::string dest = pathBytes(destination);
    runWithBusyWindow(
        [&] {
            r = archiveReader().extract(path, dest, rq, report);
            return 0;
        },
        WaitWindow);
    if (r.ok())
        return true;
    QString text = QStringLiteral("Not everything could be extracted from %1 into %2:\n%3")
                       .arg(archive, destination, fromBytes(r.message));
    for (int i = 0; i < static_cast<int>(report.skipped.size()) && i < MaxProblemLines; ++i)
        text += QLatin1Char('\n') + fromBytes(report.skipped[static_cast<std::size_t>(i)]);
    if (static_cast<int>(report.skipped.size()) > MaxProblemLines)
        text += QStringLiteral("\n... and %1 more.")
                    .arg(static_cast<int>(report.skipped.size()) - MaxProblemLines);
    Prompts::current().showError(this, QStringLiteral("Unzip"), text);
    return true;
}

} // namespace korvel

// korvel-cli ls: the rows of a file list, in the order the view shows them after its first
// listing, one a line, fields separated by a tab.
#include "cli/Command.h"

#include "core/files/DirectoryRules.h"
#include "core/files/Entry.h"
#include "platform/FolderView.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <string>

namespace {

int ls(const korvel::cli::Args& args) {
    QString mask = QStringLiteral("*.*");
    unsigned fileType = 0;
    QString dir;
    bool haveDir = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--mask" && i + 1 < args.size()) {
            mask = QString::fromLocal8Bit(args[++i]);
        } else if (a == "--hidden") {
            fileType = korvel::files::ftHidden | korvel::files::ftNormal;
        } else if (!haveDir && (a.empty() || a[0] != '-' || a == "-")) {
            dir = QFile::decodeName(QByteArray::fromStdString(a));
            haveDir = true;
        } else {
            std::fprintf(stderr, "korvel-cli ls: unexpected argument '%s'\n", a.c_str());
            return 2;
        }
    }
    if (!haveDir) {
        std::fprintf(stderr, "usage: korvel-cli ls [--mask MASK] [--hidden] DIR\n");
        return 2;
    }
    if (!korvel::files::isDrivesName(dir.toStdString())) {
        QString abs = QDir(dir).absolutePath();
        if (!korvel::files::isDirectory(QFile::encodeName(abs).toStdString())) {
            std::fprintf(stderr, "korvel-cli ls: not a folder: %s\n", args.back().c_str());
            return 1;
        }
        dir = abs;
    }
    auto rows = korvel::FolderView::listSorted(dir, mask, fileType);
    std::string out;
    out.reserve(rows.rows.size() * 64);
    for (const auto& e : rows.rows) {
        for (int c = 0; c < korvel::FolderView::ColumnCount; ++c) {
            if (c)
                out += '\t';
            if (c == 0 && !rows.drives)
                out += e.name; // the name's own bytes
            else
                out += korvel::FolderView::columnText(e, c, rows.drives).toStdString();
        }
        out += '\n';
        if (out.size() > (1u << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("ls",
                   "[--mask MASK] [--hidden] DIR   list a folder (or 'drives') as the file list shows it",
                   ls);

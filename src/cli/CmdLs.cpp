// korvel-cli ls: the rows of a file list, in the order the view shows them after its first
// listing, one a line, fields separated by a tab.
#include "cli/Command.h"

#include "core/files/DirectoryRules.h"
#include "core/files/EntrySort.h"
#include "core/files/FolderColumns.h"
#include "core/files/FolderLister.h"
#include "core/files/MountedVolumes.h"
#include "core/files/TypeNames.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The folder as an absolute path without "." and ".." steps, as the view shows it.
std::string absoluteFolder(const std::string& dir) {
    std::error_code ec;
    std::string abs = std::filesystem::absolute(std::filesystem::path(dir), ec).lexically_normal().string();
    while (abs.size() > 1 && abs.back() == '/')
        abs.pop_back();
    return abs;
}

int ls(const korvel::cli::Args& args) {
    namespace files = korvel::files;
    std::string mask = "*.*";
    unsigned fileType = 0;
    std::string dir;
    bool haveDir = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--mask" && i + 1 < args.size()) {
            mask = args[++i];
        } else if (a == "--hidden") {
            fileType = files::ftHidden | files::ftNormal;
        } else if (!haveDir && (a.empty() || a[0] != '-' || a == "-")) {
            dir = a;
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
    files::TypeNames types;
    const bool drives = files::isDrivesName(dir);
    std::vector<files::Entry> rows;
    if (drives) {
        rows = files::driveEntries(files::mountedVolumes());
    } else {
        const std::string abs = absoluteFolder(dir);
        if (!files::isDirectory(abs)) {
            std::fprintf(stderr, "korvel-cli ls: not a folder: %s\n", args.back().c_str());
            return 1;
        }
        rows = files::listFolder(abs == "/" ? abs : abs + "/", mask, fileType, &types.keys());
    }
    files::SortState s;
    s.reverse = true;
    s.columnClick(0);
    files::sortEntries(rows, s, drives, [&types](std::uint32_t id) { return types.name(id); });

    std::string out;
    out.reserve(rows.size() * 64);
    for (const auto& e : rows) {
        for (int c = 0; c < files::FolderColumnCount; ++c) {
            if (c)
                out += '\t';
            out += files::columnText(e, c, drives, types);
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

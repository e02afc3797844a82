// korvel-cli copy / move / rename / delete: the file manager's operations for scripts.
#include "cli/Command.h"
#include "core/files/FileOperation.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace korvel::cli {
namespace {

using files::FileOpAnswer;
using files::FileOpKind;
using files::FileOpQuestion;

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) {
    interrupted = 1;
}

// Questions go to the terminal; without one the answer is "no" (nothing is overwritten or
// deleted unless the options said so). Ctrl+C cancels cleanly.
class ConsoleHandler final : public files::FileOpHandler {
public:
    bool noClobber = false;
    bool verbose = false;

    FileOpAnswer ask(const FileOpQuestion& q) override {
        if (noClobber && q.kind == FileOpQuestion::Kind::Overwrite)
            return FileOpAnswer::No;
        std::fprintf(stderr, "%s\n", q.text.c_str());
        if (!::isatty(STDIN_FILENO)) {
            std::fprintf(stderr, "korvel-cli: no terminal to answer on: no\n");
            return FileOpAnswer::No;
        }
        const bool overwrite = q.kind == FileOpQuestion::Kind::Overwrite;
        for (;;) {
            std::fprintf(stderr, overwrite ? "[y]es, yes to [a]ll, [n]o, [c]ancel? " : "[y]es, [n]o? ");
            std::string line;
            if (!std::getline(std::cin, line))
                return FileOpAnswer::Cancel;
            char c =
                line.empty() ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
            if (c == 'y')
                return FileOpAnswer::Yes;
            if (c == 'n')
                return FileOpAnswer::No;
            if (overwrite && c == 'a')
                return FileOpAnswer::YesToAll;
            if (overwrite && c == 'c')
                return FileOpAnswer::Cancel;
        }
    }
    void error(const std::string& text) override { std::fprintf(stderr, "korvel-cli: %s\n", text.c_str()); }
    void progress(const files::FileOpProgress& p) override {
        if (verbose && !p.current.empty() && p.current != last_) {
            last_ = p.current;
            // Counted up to the total and never past it (the last item reports itself done).
            const auto total = static_cast<unsigned long long>(p.itemsTotal);
            const auto n = std::min(static_cast<unsigned long long>(p.itemsDone) + 1, total);
            std::fprintf(stderr, "[%llu/%llu] %s\n", n, total, p.current.c_str());
        }
    }
    bool cancelled() override { return interrupted != 0; }

private:
    std::string last_;
};

int run(FileOpKind kind, const Args& args, std::size_t destinations) {
    files::FileOperation op;
    op.operation = kind;
    ConsoleHandler handler;
    std::vector<std::string> paths;
    bool options = true;
    for (const auto& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-y" || a == "--yes")) {
            op.flags |= files::NoConfirmation;
        } else if (options && (a == "-n" || a == "--no-clobber")) {
            handler.noClobber = true;
        } else if (options && a == "--rename") {
            op.flags |= files::RenameOnCollision;
        } else if (options && a == "--mkdir") {
            op.flags |= files::NoConfirmMkDir;
        } else if (options && a == "--trash" && kind == FileOpKind::Delete) {
            op.flags |= files::AllowUndo;
        } else if (options && (a == "-v" || a == "--verbose")) {
            handler.verbose = true;
        } else if (options && a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "korvel-cli: unknown option '%s'\n", a.c_str());
            return 2;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() < 1 + destinations) {
        std::fprintf(stderr, "korvel-cli: not enough paths\n");
        return 2;
    }
    if (kind == FileOpKind::Rename) {
        op.from = {paths[0]};
        op.to = {paths[1]};
        if (paths.size() != 2) {
            std::fprintf(stderr, "korvel-cli: rename takes one item and one new name\n");
            return 2;
        }
    } else {
        op.from.assign(paths.begin(), paths.end() - static_cast<long>(destinations));
        if (destinations)
            op.to = {paths.back()};
    }
    std::signal(SIGINT, onInterrupt);
    bool ok = op.execute(handler);
    if (op.wasCancelled())
        std::fprintf(stderr, "korvel-cli: cancelled\n");
    return ok ? 0 : 1;
}

int copyCmd(const Args& a) {
    return run(FileOpKind::Copy, a, 1);
}
int moveCmd(const Args& a) {
    return run(FileOpKind::Move, a, 1);
}
int renameCmd(const Args& a) {
    return run(FileOpKind::Rename, a, 1);
}
int deleteCmd(const Args& a) {
    return run(FileOpKind::Delete, a, 0);
}

} // namespace

KORVEL_CLI_COMMAND("copy", "[-y] [-n] [--rename] [--mkdir] [-v] SRC... DEST-FOLDER", copyCmd);
KORVEL_CLI_COMMAND("move", "[-y] [-n] [--rename] [--mkdir] [-v] SRC... DEST-FOLDER", moveCmd);
KORVEL_CLI_COMMAND("rename", "[-y] [-n] [--rename] PATH NEW-NAME", renameCmd);
KORVEL_CLI_COMMAND("delete", "[-y] [--trash] [-v] PATH...", deleteCmd);

} // namespace korvel::cli

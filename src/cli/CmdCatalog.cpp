// korvel-cli catalog [--format bbs|html|json] [--mode MODE] [--custom NAME] [--custom-list FILE]
// [--recursive] [--max-lines N] [--utf8] [--output FILE] [--no-cache] DIR...: one catalogue of
// every archive in the folders, each with its description as the main window would show it.
#include "cli/ArchiveCli.h"
#include "cli/Command.h"
#include "cli/LookupOptions.h"
#include "core/catalog/CatalogJob.h"
#include "core/catalog/OutputFile.h"
#include "core/catalog/ProgressLine.h"
#include "engineclient/CatalogSources.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace korvel::cli {
namespace {

using namespace korvel::catalog;

const char* const kUsage =
    "usage: korvel-cli catalog [--format bbs|html|json] [--mode auto|fileid|readme|filename|custom]\n"
    "       [--custom NAME] [--custom-list FILE] [--recursive] [--max-lines N] [--utf8]\n"
    "       [--output FILE] [--no-cache] [--jobs N] DIR...\n";

std::atomic<bool> stopRequested{false};

// First Ctrl+C: the run stops at the next archive and leaves the old catalogue as it was.
// A second one ends the process at once, removing the temporary being written.
void onInterrupt(int sig) {
    if (stopRequested.exchange(true)) {
        removePendingTemporary();
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    }
}

class TerminalProgress {
public:
    TerminalProgress() : on_(::isatty(STDERR_FILENO)), start_(std::chrono::steady_clock::now()) {}
    void show(std::size_t done, std::size_t total) {
        if (!on_)
            return;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        std::fprintf(stderr, "\r\033[K%s", progressLine(done, total, s).c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void end() {
        if (shown_)
            std::fputs("\r\033[K", stderr);
    }
    bool on() const { return on_; }

private:
    bool on_, shown_ = false;
    std::chrono::steady_clock::time_point start_;
};

int runCatalogCommand(const Args& a);

int run(const Args& a) {
    // Ctrl+C is ours from the start: nothing is written before the run ends anyway.
    stopRequested = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const int rc = runCatalogCommand(a);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return rc;
}

int runCatalogCommand(const Args& a) {
    CatalogJob job;
    LookupRequest lookup = commandLineLookup();
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string& s = a[i];
        const bool hasValue = i + 1 < a.size();
        if (s == "--format" && hasValue) {
            const auto f = parseCatalogFormat(a[++i]);
            if (!f) {
                std::fprintf(stderr, "korvel-cli: unknown format %s\n%s", a[i].c_str(), kUsage);
                return 2;
            }
            job.format = *f;
        } else if (const auto taken = takeLookupOption(a, i, lookup, kUsage); taken != LookupOption::NotOne) {
            if (taken == LookupOption::Invalid)
                return 2;
        } else if (s == "--output" && hasValue) {
            job.output = a[++i];
        } else if ((s == "--max-lines" || s == "--jobs") && hasValue) {
            char* end = nullptr;
            const long n = std::strtol(a[++i].c_str(), &end, 10);
            if (!end || *end || n < 1 || n > 100000) {
                std::fprintf(stderr, "korvel-cli: %s wants a number from 1, not %s\n", s.c_str(),
                             a[i].c_str());
                return 2;
            }
            if (s == "--jobs")
                job.threads = static_cast<unsigned>(n);
            else
                job.write.maxLines = static_cast<std::size_t>(n);
        } else if (s == "--recursive" || s == "-r") {
            job.recursive = true;
        } else if (s == "--no-cache") {
            job.useCache = false;
        } else if (s == "--utf8") {
            job.write.bbsUtf8 = true;
        } else if (!s.empty() && (s[0] != '-' || s == "-")) {
            job.folders.push_back(s);
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (job.folders.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!loadArchiveEngines())
        return 3;
    {
        std::string first = job.folders.front();
        while (first.size() > 1 && first.ends_with('/'))
            first.pop_back();
        job.write.title = "Catalogue of " + first;
    }

    const CatalogSources sources(lookup);

    TerminalProgress progress;
    const CatalogOutcome o = runCatalogJob(job, sources.byFormat(), &stopRequested,
                                           [&](std::size_t d, std::size_t t) { progress.show(d, t); });
    progress.end();

    for (const auto& p : o.problems)
        std::fprintf(stderr, "korvel-cli: cannot read folder %s\n", p.c_str());
    if (o.stopped) {
        std::fprintf(stderr, "korvel-cli: stopped; %s\n",
                     job.output.empty() ? "nothing written" : (job.output + " left as it was").c_str());
        return 130;
    }
    if (!o.written) {
        std::fprintf(stderr, "korvel-cli: cannot write %s\n", o.error.c_str());
        return 1;
    }
    if (job.output.empty()) {
        std::fwrite(o.text.data(), 1, o.text.size(), stdout);
        std::fflush(stdout);
    } else if (progress.on()) {
        std::fprintf(stderr,
                     "%zu archives, %zu with a description, %zu not readable (%zu from the cache): %s\n",
                     o.archives, o.described, o.failed, o.fromCache, job.output.c_str());
    }
    return o.problems.empty() ? 0 : 1;
}

} // namespace

KORVEL_CLI_COMMAND(
    "catalog",
    "[--format bbs|html|json] [--mode MODE] [--custom NAME] [--custom-list FILE] [--recursive] "
    "[--output FILE] [--no-cache] DIR...   a catalogue of every archive's description",
    run);

} // namespace korvel::cli

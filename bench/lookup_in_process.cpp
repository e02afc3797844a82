// The automatic description lookup as the main window makes it, inside one process: the archive
// reader's one pass over the archive, timed best of N. Built and run by archive_formats.py.
//   lookup_in_process ARCHIVE ROUNDS   prints the best wall and processor times in milliseconds, the caption and the text's size
#include "core/description/ArchiveDescription.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    korvel::LookupRequest rq;
    rq.archivePath = argv[1];
    rq.customCaption = rq.allCustomCaption = "all custom files";
    double best = 1e9, bestCpu = 1e9;
    korvel::LookupResult r;
    for (int i = 0; i < std::atoi(argv[2]); ++i) {
        const auto t = std::chrono::steady_clock::now();
        const std::clock_t c = std::clock();
        r = korvel::lookUpDescriptionInReader(rq, korvel::archiveReader());
        const double cpu = 1000.0 * static_cast<double>(std::clock() - c) / CLOCKS_PER_SEC;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
        best = ms < best ? ms : best;
        bestCpu = cpu < bestCpu ? cpu : bestCpu;
    }
    std::printf("%.2f %.2f %s %zu\n", best, bestCpu, r.caption ? r.caption->c_str() : "-", r.text.size());
    return 0;
}

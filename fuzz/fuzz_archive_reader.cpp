// Fuzz target: the archive reader on arbitrary bytes, handed over as a file (an anonymous
// memory file), the way the reader always meets archives. Every call must return a status;
// an extraction writes only below its own scratch folder, which is emptied after each input.
#include "MemoryFile.h"
#include "core/archive/ArchiveReader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile input("fuzz.arc");
    static const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("korvel-fuzz-" + std::to_string(::getpid()));
    if (!input.hold(data, size))
        return 0;
    const char* path = input.path();

    const korvel::ArchiveReader& reader = korvel::archiveReader();
    reader.detect(path);
    std::size_t members = 0;
    reader.list(path, [&](const korvel::ArchiveEntry& e) {
        volatile std::size_t touch = e.name.size() + e.linkTarget.size();
        (void)touch;
        return ++members < 10000;
    });
    korvel::FoundMember found;
    reader.readFirstOf(path, {"file_id.diz", "readme.txt", "*"}, true, 1 << 16, found);

    korvel::ExtractRequest rq;
    rq.withPaths = true;
    rq.overwrite = true;
    rq.maxTotalBytes = 1 << 20;
    korvel::ExtractReport report;
    reader.extract(path, scratch.string(), rq, report);
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return 0;
}

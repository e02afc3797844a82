// Fuzz target: listing and print requests of the unzip engine on arbitrary bytes. The bytes are
// handed over as a file (an anonymous memory file), the way the engine always reads archives.
#include "zipengines.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string firstName;

void onMessage(uint64_t, uint64_t, unsigned, unsigned, unsigned, unsigned, unsigned, unsigned, char,
               const char* name, const char*, unsigned long, char) {
    if (firstName.empty() && name)
        firstName = name;
}

int onPrint(char* text, unsigned long n) {
    // Touch every byte delivered, and the terminating zero promised after them.
    volatile unsigned sum = 0;
    for (unsigned long i = 0; i <= n; ++i)
        sum = sum + static_cast<unsigned char>(text[i]);
    return static_cast<int>(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int fd = ::memfd_create("fuzz.zip", 0);
    if (fd < 0)
        return 0;
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);

    USERFUNCTIONS f{};
    f.print = onPrint;
    f.SendApplicationMessage = onMessage;
    DCL d{};
    d.fQuiet = 2;
    d.C_flag = 1;
    d.lpszZipFN = path;
    d.nvflag = 1;
    firstName.clear();
    Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &d, &f);

    d.nvflag = 0;
    d.ncflag = 1;
    char empty[1] = {0};
    d.lpszExtractDir = empty;
    std::string patterns[] = {firstName.empty() ? std::string("file_id.diz") : firstName, "*", "[a-z]*.?x?"};
    for (auto& p : patterns) {
        char* v[] = {p.data()};
        Wiz_SingleEntryUnzip(1, v, 0, nullptr, &d, &f);
    }
    return 0;
}

// Fuzz target: listing, print and extraction requests of the unzip engine on arbitrary bytes.
// The bytes are handed over as a file (an anonymous memory file), the way the engine always reads
// archives. Extraction goes into a scratch folder with folders kept; after each run nothing may
// lie beside that folder, and nothing in it may be or point outside it.
#include "MemoryFile.h"
#include "zipengines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

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

namespace fs = std::filesystem;

// <scratch>/dest receives the extraction; <scratch> holds nothing else.
const fs::path& scratch() {
    static const fs::path dir = [] {
        char tmpl[] = "/tmp/fuzz-unzip32-XXXXXX";
        const char* d = ::mkdtemp(tmpl);
        if (!d)
            std::abort();
        return fs::path(d);
    }();
    return dir;
}

bool inside(const fs::path& p, const fs::path& root) {
    auto r = root.begin(), q = p.begin();
    for (; r != root.end(); ++r, ++q) {
        if (q == p.end() || *q != *r)
            return false;
    }
    return true;
}

void checkScratch(const fs::path& dest) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(scratch(), ec)) {
        if (e.path() != dest)
            __builtin_trap(); // something was written beside the destination
    }
    const fs::path root = fs::canonical(dest, ec);
    for (auto it = fs::recursive_directory_iterator(dest, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path where = fs::weakly_canonical(it->path(), ec);
        if (!ec && !inside(where, root))
            __builtin_trap(); // a link that leads out of the destination
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile input("fuzz.zip");
    if (!input.hold(data, size))
        return 0;
    char* path = input.path();

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
    // The second plain name is looked up in the index the first one built.
    std::string patterns[] = {firstName.empty() ? std::string("file_id.diz") : firstName, "FILE_ID.DIZ", "*",
                              "[a-z]*.?x?"};
    for (auto& p : patterns) {
        char* v[] = {p.data()};
        Wiz_SingleEntryUnzip(1, v, 0, nullptr, &d, &f);
    }

    const fs::path dest = scratch() / "dest";
    std::error_code ec;
    fs::remove_all(dest, ec);
    std::string destText = dest.string();
    DCL x{};
    x.fQuiet = 2;
    x.C_flag = 1;
    x.ndflag = 1;
    x.noflag = 1;
    x.lpszZipFN = path;
    x.lpszExtractDir = destText.data();
    Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &x, &f);
    checkScratch(dest);
    fs::remove_all(dest, ec);
    return 0;
}

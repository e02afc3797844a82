#pragma once
// Fixtures for the archive tests: archives made by the real tools (`zip`, `7z`, `bsdtar`, `gcab`)
// or by Python's zipfile module (for the hostile ones), all made at test time in a TempDir.

#include "FileBytes.h"
#include "FileTimes.h"
#include "Shell.h"
#include "TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace korvel::test {

// `zip ARGS` run inside `dir`.
inline int zipTool(const std::string& dir, const std::string& args) {
    return run("cd " + shellQuote(dir) + " && zip -q " + args + " >/dev/null 2>&1");
}

// `COMMAND 'out' NAMES` run inside `dir`, its output dropped: "7z a -bd", "bsdtar -Jcf", "gcab -c".
inline int archiveTool(const std::string& dir, const std::string& command, const std::string& out,
                       const std::string& names) {
    return run("cd " + shellQuote(dir) + " && " + command + " " + shellQuote(out) + " " + names +
               " >/dev/null 2>&1");
}

// Writes each member (pairs of name and bytes, as a map or a list) below `dir`; answers their
// names, quoted, for a command line.
template <class Members> std::string writeMembers(const std::string& dir, const Members& members) {
    std::string names;
    for (const auto& [name, bytes] : members) {
        writeFile(dir + "/" + name, bytes);
        names += " " + shellQuote(name);
    }
    return names;
}

// `unzip -t` on an archive: true when it finds no error.
inline bool unzipTestPasses(const std::string& archive) {
    return run("unzip -tq " + shellQuote(archive) + " >/dev/null 2>&1") == 0;
}

} // namespace korvel::test

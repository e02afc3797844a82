#pragma once
// Shell commands for fixtures: quoting, running with the output caught, a Python script.

#include "FileBytes.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace korvel::test {

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// Runs a shell command; returns its exit status and puts its standard output into `out`.
inline int run(const std::string& cmd, std::string* out = nullptr) {
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        text.append(buf, n);
    int st = ::pclose(p);
    if (out)
        *out = text;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// Runs a Python script (python3) with the working folder `dir`.
inline int python(const std::string& dir, const std::string& script) {
    std::string file = dir + "/fixture.py";
    writeFile(file, script);
    return run("cd " + shellQuote(dir) + " && python3 fixture.py >/dev/null 2>&1");
}

} // namespace korvel::test

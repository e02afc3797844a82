#pragma once
// Fixtures for the archive tests: a temporary folder, files, and archives made by the real `zip`
// tool or by Python's zipfile module (for the hostile ones), all made at test time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace korvel::test {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() /
                ("korvel-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return (path_ / rel).string(); }

private:
    fs::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void setMtime(const std::string& path, time_t t) {
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    ::lutimes(path.c_str(), tv);
}

inline time_t mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtime;
}

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

// `zip ARGS` run inside `dir`.
inline int zipTool(const std::string& dir, const std::string& args) {
    return run("cd " + shellQuote(dir) + " && zip -q " + args + " >/dev/null 2>&1");
}

// `unzip -t` on an archive: true when it finds no error.
inline bool unzipTestPasses(const std::string& archive) {
    return run("unzip -tq " + shellQuote(archive) + " >/dev/null 2>&1") == 0;
}

} // namespace korvel::test

#pragma once
// Direct calls into the engines for their tests, with callbacks that record what they receive.

#include "zipengines.h"

#include <cstring>
#include <string>
#include <vector>

namespace korvel::test {

struct Listed {
    uint64_t size, csize;
    unsigned mo, dy, yr, hh, mm;
    std::string name, method;
    unsigned long crc;
    char crypt;
};

struct Recorder {
    static inline std::vector<std::string> printed;
    static inline std::vector<Listed> listed;
    static inline std::vector<std::string> replaceAsked;
    static inline int replaceAnswer = UZ_REPLACE_NO;
    static inline std::string password;

    static void reset() {
        printed.clear();
        listed.clear();
        replaceAsked.clear();
        replaceAnswer = UZ_REPLACE_NO;
        password.clear();
    }
    static int print(char* t, unsigned long n) {
        printed.emplace_back(t, n);
        return static_cast<int>(n);
    }
    static int replace(char* name) {
        replaceAsked.emplace_back(name);
        return replaceAnswer;
    }
    static int pwd(char* buf, int size, const char*, const char*) {
        if (password.empty())
            return 1;
        std::strncpy(buf, password.c_str(), static_cast<size_t>(size));
        return 0;
    }
    static void message(uint64_t u, uint64_t c, unsigned, unsigned mo, unsigned dy, unsigned yr, unsigned hh,
                        unsigned mm, char, const char* fn, const char* meth, unsigned long crc, char crypt) {
        listed.push_back({u, c, mo, dy, yr, hh, mm, fn, meth, crc, crypt});
    }
    static USERFUNCTIONS functions() {
        USERFUNCTIONS f{};
        f.print = print;
        f.replace = replace;
        f.password = pwd;
        f.SendApplicationMessage = message;
        return f;
    }
};

struct Request {
    DCL d{};
    std::string archive, dest;
    explicit Request(std::string zip, std::string destination = {})
        : archive(std::move(zip)), dest(std::move(destination)) {
        d.fQuiet = 2;
        d.C_flag = 1;
        d.fPrivilege = 1;
    }
    int call(std::vector<std::string> names = {}, std::vector<std::string> exclude = {}) {
        d.lpszZipFN = archive.data();
        d.lpszExtractDir = dest.empty() ? nullptr : dest.data();
        std::vector<char*> v, x;
        for (auto& n : names)
            v.push_back(n.data());
        for (auto& n : exclude)
            x.push_back(n.data());
        USERFUNCTIONS f = Recorder::functions();
        return Wiz_SingleEntryUnzip(static_cast<int>(v.size()), v.empty() ? nullptr : v.data(),
                                    static_cast<int>(x.size()), x.empty() ? nullptr : x.data(), &d, &f);
    }
};

inline int listArchive(const std::string& zip) {
    Recorder::reset();
    Request r(zip);
    r.d.nvflag = 1;
    return r.call();
}

// Print request for one name; the bytes delivered go to `out`.
inline int printMember(const std::string& zip, const std::string& name, std::string* out = nullptr,
                       bool ignoreCase = true) {
    Recorder::reset();
    Request r(zip, "");
    r.d.ncflag = 1;
    r.d.C_flag = ignoreCase;
    int rc = r.call({name});
    if (out) {
        out->clear();
        for (auto& p : Recorder::printed)
            *out += p;
    }
    return rc;
}

inline int zipFiles(const std::string& zip, std::vector<std::string> files, ZPOPT o) {
    if (!ZpSetOptions(&o))
        return -1;
    std::vector<char*> v;
    for (auto& f : files)
        v.push_back(f.data());
    std::string z = zip;
    ZCL c{static_cast<int32_t>(v.size()), z.data(), v.data()};
    return ZpArchive(c);
}

inline ZPOPT zipOptions(char level = '6') {
    ZPOPT o{};
    o.fGrow = -1;
    o.fRecurse = 1;
    o.fLevel = level;
    return o;
}

} // namespace korvel::test

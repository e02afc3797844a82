#pragma once
// korvel-cli run as a script runs it: its exit status, standard output and standard error.

#include "ArchiveFixtures.h"

#include <string>

namespace korvel::test {

struct CliRun {
    int status;
    std::string out, err;
};

// `korvel-cli ARGS` after the assignments in `env` (such as "TZ=UTC"); its standard error goes
// through a file in `t`.
inline CliRun runCli(const TempDir& t, const std::string& args, const std::string& env = {}) {
    CliRun r;
    const std::string errFile = t / "stderr.txt";
    const std::string cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli ";
    r.status = run((env.empty() ? "" : env + " ") + cli + args + " 2>" + shellQuote(errFile), &r.out);
    r.err = readFile(errFile);
    return r;
}

} // namespace korvel::test

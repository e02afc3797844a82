#pragma once
// korvel-cli commands. Each command lives in a file of its own and registers itself with
// KORVEL_CLI_COMMAND; main() finds it by name. A command parses its arguments, calls the core
// or the engines, prints, and returns the process's exit code.

#include <string>
#include <vector>

namespace korvel::cli {

using Args = std::vector<std::string>;
using CommandFn = int (*)(const Args& args);

struct Command {
    const char* name;
    const char* usage; // one line: arguments after the command name
    CommandFn run;
};

bool registerCommand(const Command& c);
const std::vector<Command>& commands();

} // namespace korvel::cli

#define KORVEL_CLI_CAT2(a, b) a##b
#define KORVEL_CLI_CAT(a, b) KORVEL_CLI_CAT2(a, b)
#define KORVEL_CLI_COMMAND(name, usage, fn)                                                                  \
    static const bool KORVEL_CLI_CAT(korvelCliRegistered_, __LINE__) =                                       \
        ::korvel::cli::registerCommand({name, usage, fn})

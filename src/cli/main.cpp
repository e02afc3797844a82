// korvel-cli: the operations of the program's windows for scripts.
#include "cli/Command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace korvel::cli {

static std::vector<Command>& registry() {
    static std::vector<Command> r;
    return r;
}

bool registerCommand(const Command& c) {
    registry().push_back(c);
    return true;
}

const std::vector<Command>& commands() {
    return registry();
}

} // namespace korvel::cli

static int usage(FILE* out) {
    std::fprintf(out, "usage: korvel-cli COMMAND [ARGS...]\n\ncommands:\n");
    auto list = korvel::cli::commands();
    std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list)
        std::fprintf(out, "  %s %s\n", c.name, c.usage);
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return usage(stderr);
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        usage(stdout);
        return 0;
    }
    for (const auto& c : korvel::cli::commands()) {
        if (name == c.name)
            return c.run(korvel::cli::Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "korvel-cli: unknown command '%s'\n", name.c_str());
    return usage(stderr);
}

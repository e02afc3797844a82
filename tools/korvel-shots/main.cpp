// korvel-shots: starts Korvel as korvel does and drives it from its options, for the help page's
// pictures and the benchmarks. Built with the program, never installed or packaged.
#include "ShotActions.h"
#include "ShotOptions.h"
#include "app/ProgramStart.h"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace korvel::shots;
    ShotOptions options;
    std::string error;
    if (!parseShotOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "korvel-shots: %s\n%s", error.c_str(), kShotUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kShotUsage, stdout);
        return 0;
    }
    // The program sees no option of the tool: only the program's name goes on.
    int programArgc = 1;
    return korvel::runProgram(programArgc, argv,
                              [&options](korvel::KorvelProgram& program) { runShot(program, options); });
}

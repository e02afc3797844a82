// Korvel: the program's start. The windows are made once, in a fixed order, and live until the end.
#include "app/ProgramStart.h"

int main(int argc, char** argv) {
    return korvel::runProgram(argc, argv);
}

// Entry point. Subcommands and options run headless through the same code as
// the program; anything else starts the program with the named documents.
#include "app/CommandLine.h"
#include "app/Shell.h"

int main(int argc, char** argv) {
    return StartsProgram(argc, argv) ? RunApplication(argc, argv) : RunCommandLine(argc, argv);
}

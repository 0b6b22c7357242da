// Entry point. Subcommands run headless through the same code as the GUI.
#include "app/CommandLine.h"

int main(int argc, char** argv) { return RunCommandLine(argc, argv); }

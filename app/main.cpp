// Entry point. Subcommands and options run headless through the same code as
// the program; anything else starts the program with the named documents.
#include "app/CommandLine.h"
#include "app/Shell.h"

#include <string_view>

int main(int argc, char** argv) {
    if (argc >= 2) {
        std::string_view first = argv[1];
        if (first == "inspect" || first.starts_with("-")) return RunCommandLine(argc, argv);
    }
    return RunApplication(argc, argv);
}

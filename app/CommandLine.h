#pragma once

#include <string>
#include <vector>

// Runs a subcommand or option headless; an unknown one prints the usage to
// stderr and gives 2. Returns the exit status.
int RunCommandLine(int argc, char** argv);

// The items the command line names for the program to open, in order: a
// FILE opens as its kind of document, --icon-of PATH as its custom icon.
struct DocumentArgument {
    std::string path;
    bool customIcon = false;
};
// False, with the usage printed to stderr, for an unknown option or an
// --icon-of without its path.
bool ParseDocumentArguments(int argc, char** argv, std::vector<DocumentArgument>* documents);
// Whether the arguments start the program (rather than a headless command).
bool StartsProgram(int argc, char** argv);

#pragma once

// Runs a subcommand or option headless; an unknown one prints the usage to
// stderr and gives 2. Returns the exit status.
int RunCommandLine(int argc, char** argv);

#pragma once

// Runs a subcommand headless, or starts the program. Returns the exit status.
int RunCommandLine(int argc, char** argv);

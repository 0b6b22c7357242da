#include "app/CommandLine.h"

#include "app/Inspect.h"

#include <cstdio>
#include <string_view>

int RunCommandLine(int argc, char** argv) {
    if (argc >= 2) {
        std::string_view cmd = argv[1];
        if (cmd == "inspect") return RunInspect(argc - 2, argv + 2);
        if (cmd == "--help" || cmd == "-h") {
            std::puts("usage: korvel [FILE...]\n       korvel inspect [--json] FILE\n       korvel --version");
            return 0;
        }
    }
    std::puts("Korvel: the desktop program is not built yet; try `korvel inspect FILE`.");
    return 0;
}

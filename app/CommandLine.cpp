#include "app/CommandLine.h"

#include "app/AppResources.h"
#include "app/Inspect.h"
#include "platform/core/ByteIO.h"
#include "platform/resources/Resources.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// "Korvel <short version>" from the application's 'vers' 1: two version
// bytes, stage, pre-release, region (u16), then the short version string.
int PrintVersion() {
    if (OpenApplicationResources() != noErr) {
        std::fputs("korvel: the application's resources do not open\n", stderr);
        return 1;
    }
    Handle vers = Get1Resource(FourCC("vers"), 1);
    ByteReader r(HandleBytes(vers));
    r.skip(6);
    const UInt8 length = r.u8();
    std::string shortVersion;
    for (UInt8 i = 0; i < length && r.ok(); ++i) shortVersion += char(r.u8());
    if (!vers || !r.ok() || shortVersion.empty()) {
        std::fputs("korvel: the version resource is missing or damaged\n", stderr);
        return 1;
    }
    std::printf("Korvel %s\n", shortVersion.c_str());
    return 0;
}

constexpr const char* kUsage =
    "usage: korvel [FILE...] [--icon-of PATH]...\n"
    "       korvel inspect [--json] FILE\n"
    "       korvel --version\n"
    "       korvel --help\n"
    "\n"
    "Each FILE opens as its kind of document: an icon family (.icns) or a\n"
    "Windows icon (.ico) opens in an icon window; a folder, or a file of\n"
    "another kind, opens its custom icon. --icon-of PATH opens the custom\n"
    "icon of the file or folder PATH, whatever the file holds.\n";

constexpr std::string_view kIconOfOption = "--icon-of";

}  // namespace

int RunCommandLine(int argc, char** argv) {
    if (argc >= 2) {
        std::string_view cmd = argv[1];
        if (cmd == "inspect") return RunInspect(argc - 2, argv + 2);
        if (cmd == "--version") return PrintVersion();
        if (cmd == "--help" || cmd == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    std::fputs(kUsage, stderr);
    return 2;
}

bool StartsProgram(int argc, char** argv) {
    if (argc < 2) return true;
    const std::string_view first = argv[1];
    return first != "inspect" && (!first.starts_with("-") || first == kIconOfOption);
}

bool ParseDocumentArguments(int argc, char** argv, std::vector<DocumentArgument>* documents) {
    documents->clear();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == kIconOfOption && i + 1 < argc) {
            documents->push_back({argv[++i], true});
        } else if (arg.starts_with("-")) {
            std::fputs(kUsage, stderr);
            return false;
        } else {
            documents->push_back({std::string(arg), false});
        }
    }
    return true;
}

#include "app/CommandLine.h"

#include "app/AppResources.h"
#include "app/Convert.h"
#include "app/Inspect.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// "Korvel <short version>", as the About box shows it.
int PrintVersion() {
    if (OpenApplicationResources() != noErr) {
        std::fputs("korvel: the application's resources do not open\n", stderr);
        return 1;
    }
    const std::string shortVersion = ApplicationVersionString();
    if (shortVersion.empty()) {
        std::fputs("korvel: the version resource is missing or damaged\n", stderr);
        return 1;
    }
    std::printf("Korvel %s\n", shortVersion.c_str());
    return 0;
}

constexpr const char* kUsage =
    "usage: korvel [FILE...] [--icon-of PATH]...\n"
    "       korvel inspect [--json] FILE\n"
    "       korvel convert IN OUT [options]\n"
    "       korvel --version\n"
    "       korvel --help\n"
    "\n"
    "Each FILE opens as its kind of document: a picture (PICT, PNG, or any\n"
    "format the system's image readers know: JPEG, GIF, BMP, TIFF, WebP, SVG...)\n"
    "in a paint window; an icon family (.icns) or a Windows icon (.ico) in an\n"
    "icon window; a folder as its custom icon. --icon-of PATH opens the custom\n"
    "icon of the file or folder PATH, whatever the file holds.\n"
    "\n"
    "convert writes IN as OUT, in the format of OUT's suffix: a picture as\n"
    ".png or .pict; an icon (.icns, .ico, .rsrc) as another of these. Options:\n"
    "  --member KIND      one member (icl8, il32, ICN#, ICN#mask, it32...) of\n"
    "                     an icon to a .png, or a picture into that member\n"
    "  --id N             the icon's ID in a resource file (read: the first)\n"
    "  --size WxH         the size a drawing (SVG) is drawn at\n"
    "  --interlaced, --compression 0-9, --fill-transparent, --all-colors,\n"
    "  --transparency none|white|black|own|corner|pen|background: PNG settings\n";

constexpr std::string_view kIconOfOption = "--icon-of";

}  // namespace

int RunCommandLine(int argc, char** argv) {
    if (argc >= 2) {
        std::string_view cmd = argv[1];
        if (cmd == "inspect") return RunInspect(argc - 2, argv + 2);
        if (cmd == "convert") return RunConvert(argc - 2, argv + 2);
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
    return first != "inspect" && first != "convert" && (!first.starts_with("-") || first == kIconOfOption);
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

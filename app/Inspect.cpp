#include "app/Inspect.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

// Files larger than this are not described: every format the probes read is
// far smaller, and the whole file is read into memory.
constexpr std::streamoff kMaxInspectBytes = std::streamoff(1) << 30;

int Usage() {
    std::fputs("usage: korvel inspect [--json] FILE\n", stderr);
    return 2;
}

}  // namespace

int RunInspect(int argc, char** argv) {
    InspectRequest req;
    for (int i = 0; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--json") {
            req.json = true;
        } else if (a.starts_with("-") && a != "-") {
            return Usage();
        } else if (req.path.empty()) {
            req.path = a;
        } else {
            return Usage();
        }
    }
    if (req.path.empty()) return Usage();

    std::ifstream in(req.path, std::ios::binary | std::ios::ate);
    if (!in) {
        std::fprintf(stderr, "korvel: %s: cannot open the file\n", req.path.c_str());
        return 1;
    }
    std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxInspectBytes) {
        std::fprintf(stderr, "korvel: %s: the file is too large to describe\n", req.path.c_str());
        return 1;
    }
    std::vector<UInt8> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        std::fprintf(stderr, "korvel: %s: cannot read the file\n", req.path.c_str());
        return 1;
    }
    req.bytes = bytes;

    using Probe = InspectVerdict (*)(const InspectRequest&, std::string&, std::string&);
    // Containers with a magic number first; pictures last, since a bare
    // picture has no signature of its own.
    const Probe probes[] = {InspectIconFamilyFile, InspectResourceFile, InspectWinIconFile,
                            InspectPictureFile};
    std::string firstReason;
    for (Probe probe : probes) {
        std::string out, reason;
        switch (probe(req, out, reason)) {
            case InspectVerdict::described:
                std::fputs(out.c_str(), stdout);
                if (!out.empty() && out.back() != '\n') std::fputc('\n', stdout);
                return 0;
            case InspectVerdict::broken:
                std::fprintf(stderr, "korvel: %s: %s\n", req.path.c_str(), reason.c_str());
                return 1;
            case InspectVerdict::notMine:
                if (firstReason.empty()) firstReason = reason;
                break;
        }
    }
    std::fprintf(stderr, "korvel: %s: %s\n", req.path.c_str(),
                 firstReason.empty() ? "not a picture, icon family, Windows icon or resource file" : firstReason.c_str());
    return 1;
}

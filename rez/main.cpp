// korvel-rez: compiles resource sources into a flat resource file and a C++
// file embedding its bytes.
//
//   korvel-rez [-o FILE.rsrc] [--cpp FILE.cpp] SOURCE.kr...
//
// Errors are printed as "file:line: error: message" and the exit status is 1.
#include "rez/RezCompiler.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return true;
}

// Writes only when the contents differ, so an unchanged output does not make
// everything that depends on it rebuild.
bool WriteFileIfChanged(const std::string& path, const std::string& bytes) {
    std::string old;
    if (ReadFile(path, &old) && old == bytes) return true;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out.flush());
}

int Usage() {
    std::cerr << "usage: korvel-rez [-o FILE.rsrc] [--cpp FILE.cpp] SOURCE.kr...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string forkPath, cppPath;
    std::vector<RezSource> sources;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" || arg == "--cpp") {
            if (i + 1 >= argc) return Usage();
            (arg == "-o" ? forkPath : cppPath) = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else {
            RezSource src{arg, {}};
            if (!ReadFile(arg, &src.text)) {
                std::cerr << arg << ": error: cannot read the file\n";
                return 1;
            }
            sources.push_back(std::move(src));
        }
    }
    if (sources.empty()) return Usage();

    ResourceForkImage image;
    RezError error;
    if (!CompileResourceSources(sources, &image, &error)) {
        std::cerr << error.Format() << "\n";
        return 1;
    }
    std::vector<UInt8> fork;
    if (SerializeResourceFork(image, &fork) != noErr) {
        std::cerr << "korvel-rez: error: the resources do not fit in a resource file\n";
        return 1;
    }
    if (!forkPath.empty() && !WriteFileIfChanged(forkPath, std::string(fork.begin(), fork.end()))) {
        std::cerr << forkPath << ": error: cannot write the file\n";
        return 1;
    }
    if (!cppPath.empty() && !WriteFileIfChanged(cppPath, ResourceBytesAsCpp(fork))) {
        std::cerr << cppPath << ": error: cannot write the file\n";
        return 1;
    }
    return 0;
}

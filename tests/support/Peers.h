// The independent programs that tests cross-check Korvel against (ImageMagick,
// netpbm, icnsutils, icoutils, Pillow). scripts/debian-packages.txt installs
// every one of them, so a missing program fails a test instead of skipping it.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

// Runs a shell command; true when it exits with status 0.
inline bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

// Runs a shell command and collects its standard output (binary); true when it exits with status 0.
inline bool RunCapture(const std::string& command, std::vector<unsigned char>& out) {
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return false;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
    return ::pclose(p) == 0;
}

// The distribution's interpreter, which is the one that has Pillow.
inline std::string Python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

// Success when every program is on the PATH; use as ASSERT_TRUE(HaveTools({"icotool"})).
inline ::testing::AssertionResult HaveTools(std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (!RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1"))
            return ::testing::AssertionFailure() << name << " is not installed (scripts/setup-debian.sh installs it)";
    return ::testing::AssertionSuccess();
}

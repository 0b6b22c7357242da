// The command line of the built program: --help prints the usage and
// succeeds; an unknown option, or --icon-of without its path, prints it to
// stderr and exits with 2.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

// The text a shell command writes to the stream it pipes, and its exit status.
std::pair<std::string, int> Capture(const std::string& command) {
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return {"", -1};
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    const int status = ::pclose(p);
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(CommandLine, HelpAndUnknownOptions) {
    const std::string korvel = std::string("'") + KORVEL_BINARY + "' ";
    // The usage is whatever --help prints; every refusal prints the same to stderr.
    const std::string usage = Capture(korvel + "--help").first;
    ASSERT_EQ(usage.rfind("usage: korvel", 0), 0u);
    const struct {
        const char* args;
        std::string out, err;
        int status;
    } cases[] = {
        {"--help", usage, "", 0},
        {"-h", usage, "", 0},
        {"--bogus", "", usage, 2},
        {"-x file.pict", "", usage, 2},
        {"--icon-of", "", usage, 2},
        {"a.icns --bogus", "", usage, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const auto [out, status] = Capture(korvel + c.args + " 2>/dev/null");
        const auto [err, again] = Capture(korvel + c.args + " 2>&1 >/dev/null");
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(again, c.status);
    }
}

}  // namespace

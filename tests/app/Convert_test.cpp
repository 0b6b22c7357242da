// `korvel convert` on icons: families through resource files and Windows
// icons keep every member, a member goes to PNG and back unchanged; and
// every refusal is one line, a non-zero exit and nothing written.
#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>

namespace {

struct Outcome {
    std::string err;
    int status;
};

Outcome Convert(const std::string& args) {
    const std::string command = std::string("'") + KORVEL_BINARY + "' convert " + args + " 2>&1 >/dev/null";
    std::FILE* p = ::popen(command.c_str(), "r");
    std::string text;
    char buf[4096];
    for (size_t n; p && (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    const int status = p ? ::pclose(p) : -1;
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The member lines icns2png lists for a family.
std::string Members(const std::string& path) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture("icns2png -l '" + path + "' | grep \"^  '\"", out));
    return std::string(out.begin(), out.end());
}

TEST(Convert, IconsKeepTheirMembersAndRefusalsWriteNothing) {
    TempFolder dir;
    const std::string icns = std::string(KORVEL_TEST_DATA) + "/icns/classic.icns";
    for (const char* via : {"via.rsrc", "via.ico"}) {
        SCOPED_TRACE(via);
        EXPECT_EQ(Convert("'" + icns + "' '" + dir / via + "'").status, 0);
        EXPECT_EQ(Convert("'" + dir / via + "' '" + dir / "back.icns'").status, 0);
    }
    // The resource file keeps every member; a Windows icon keeps the images
    // it holds, as the family's own members.
    EXPECT_EQ(Convert("'" + icns + "' '" + dir / "again.icns'").status, 0);
    EXPECT_EQ(Convert("'" + dir / "via.rsrc' '" + dir / "fromrsrc.icns'").status, 0);
    EXPECT_EQ(Members(dir / "fromrsrc.icns"), Members(dir / "again.icns"));

    EXPECT_EQ(Convert("'" + icns + "' '" + dir / "il32.png' --member il32").status, 0);
    EXPECT_EQ(Convert("'" + dir / "il32.png' '" + dir / "new.icns' --member il32").status, 0);
    EXPECT_EQ(Convert("'" + dir / "new.icns' '" + dir / "again.png' --member il32").status, 0);
    EXPECT_EQ(Slurp(dir / "again.png"), Slurp(dir / "il32.png"));

    Spill(dir / "broken.icns", TextBytes("icns and then nothing useful"));
    const struct {
        std::string args, message;
        int status;
    } refusals[] = {
        {"'" + dir / "gone.icns' '" + dir / "out.ico'", dir / "gone.icns: the file does not exist", 1},
        {"'" + icns + "' '" + dir / "out.txt'", dir / "out.txt: Korvel writes .png, .pict, .icns, .ico and .rsrc files", 1},
        {"'" + dir / "broken.icns' '" + dir / "out.ico'", dir / "broken.icns: the icon cannot be read", 1},
        {"'" + icns + "' '" + dir / "out.png'", dir / "out.png: an icon converts to .icns, .ico or .rsrc, or with --member to .png", 1},
        {"'" + dir / "il32.png' '" + dir / "out.png' --member il33", "usage: korvel convert", 2},
        {"'" + icns + "'", "usage: korvel convert", 2},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.args);
        const Outcome run = Convert(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err.find(c.status == 1 ? "korvel: " + c.message + "\n" : c.message), 0u) << run.err;
        if (c.status == 1) {
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        }
    }
    for (const char* name : {"out.ico", "out.txt", "out.png"}) EXPECT_FALSE(PathExists(dir / name)) << name;
}

}  // namespace

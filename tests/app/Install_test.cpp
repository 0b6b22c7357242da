// Installing into a fresh prefix gives the desktop what it needs: the
// program, a desktop entry that validates, MIME types the database takes,
// and the icon at every size of the theme.
#include "app/AppResources.h"
#include "platform/resources/Resources.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <fstream>
#include <set>
#include <sstream>

namespace {

std::string Capture(const std::string& command) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(command, out)) << command;
    return std::string(out.begin(), out.end());
}

std::set<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::set<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.insert(line);
    return lines;
}

TEST(Install, GivesTheDesktopAValidEntryMimeTypesIconsAndOneVersion) {
    ASSERT_TRUE(HaveTools({"desktop-file-validate", "xmllint", "update-mime-database", "pngcheck"}));
    TempFolder prefix;
    ASSERT_TRUE(RunCommand(std::string("'") + KORVEL_CMAKE + "' --install '" + KORVEL_BUILD_DIR + "' --prefix '" +
                           prefix.path() + "' >/dev/null"));
    const std::string share = prefix / "share";
    EXPECT_EQ(Capture("desktop-file-validate '" + share + "/applications/io.github.korvel.Korvel.desktop' 2>&1"), "");
    EXPECT_TRUE(RunCommand("xmllint --noout '" + share + "/mime/packages/korvel.xml'"));
    ASSERT_TRUE(RunCommand("update-mime-database '" + share + "/mime'"));
    std::set<std::string> globs;  // "type:pattern" of the weight:type:pattern lines
    for (const std::string& line : Lines(share + "/mime/globs2"))
        if (line.find(':') != std::string::npos && line[0] != '#') globs.insert(line.substr(line.find(':') + 1));
    EXPECT_EQ(globs, (std::set<std::string>{"image/x-icns:*.icns", "image/vnd.microsoft.icon:*.ico",
                                            "image/x-pict:*.pict", "image/x-pict:*.pct",
                                            "application/x-korvel-icon-resources:*.rsrc",
                                            "application/x-korvel-blend-palette:*.kblend",
                                            "application/x-korvel-dot-library:*.kdots"}));
    EXPECT_TRUE(Lines(share + "/mime/aliases").count("image/x-icon image/vnd.microsoft.icon"));

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string icon = share + "/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                                 "/apps/korvel.png";
        const std::string report = Capture("pngcheck '" + icon + "'");
        const std::string dims = "(" + std::to_string(size) + "x" + std::to_string(size) + ",";
        EXPECT_TRUE(report.starts_with("OK: ") && report.find(dims) != std::string::npos) << report;
    }

    // The installed program and the About box give the project's version.
    InitResources();
    ASSERT_EQ(OpenApplicationResources(), noErr);
    EXPECT_EQ(ApplicationVersionString(), KORVEL_VERSION);
    EXPECT_EQ(Capture("'" + prefix.path() + "/bin/korvel' --version"), "Korvel " + ApplicationVersionString() + "\n");
    InitResources();
}

}  // namespace

// The resource compiler: exact encodings of what the program's own tests do
// not reach through the shipped resources (the windows, controls, patterns and
// pictures they use are checked there, every template by its parser in
// AppResources_test), and clear file:line errors for malformed sources.
#include "rez/RezCompiler.h"

#include "app/AppResources.h"
#include "platform/picture/Pictures.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<UInt8>;

// Compiles one source and returns the single resource's bytes.
Bytes CompileOne(const std::string& text, ResourceForkImage* image = nullptr) {
    ResourceForkImage local;
    ResourceForkImage* out = image ? image : &local;
    RezError error;
    RezSource src{"test.kr", text};
    EXPECT_TRUE(CompileResourceSources(std::span(&src, 1), out, &error)) << error.Format();
    if (out->resources.size() != 1) return {};
    return out->resources[0].data;
}

RezError CompileError(const std::string& text) {
    ResourceForkImage image;
    RezError error;
    RezSource src{"bad.kr", text};
    EXPECT_FALSE(CompileResourceSources(std::span(&src, 1), &image, &error)) << text;
    return error;
}

TEST(RezEncoding, StringsAndStringLists) {
    EXPECT_EQ(CompileOne("resource 'STR#' 4006\n  \"Out\"\n  \"\"\n  \"a\\\"b\"\nend\n"),
              (Bytes{0, 3, 3, 'O', 'u', 't', 0, 3, 'a', '"', 'b'}));
    EXPECT_EQ(CompileOne("resource 'STR ' 128\n \"\\x41é\"\nend"), (Bytes{3, 'A', 0xC3, 0xA9}));
    // 255 bytes fit exactly.
    const Bytes b = CompileOne("resource 'STR ' 1\n\"" + std::string(255, 'x') + "\"\nend\n");
    ASSERT_EQ(b.size(), 256u);
    EXPECT_EQ(b[0], 255);
}

TEST(RezEncoding, HeaderCarriesNameAndAttributes) {
    ResourceForkImage image;
    CompileOne("# comment\n\nresource 'PAT ' -5 \"marquee\" purgeable locked\n"
               "|X.......|\n|.X......|\n|..X.....|\n|...X....|\n|....X...|\n|.....X..|\n|......X.|\n|.......X|\nend\n",
               &image);
    ASSERT_EQ(image.resources.size(), 1u);
    const ForkResource& r = image.resources[0];
    EXPECT_EQ(r.type, FourCC("PAT "));
    EXPECT_EQ(r.id, -5);
    EXPECT_TRUE(r.hasName);
    EXPECT_EQ(r.name, "marquee");
    EXPECT_EQ(r.attributes, resPurgeable | resLocked);
    EXPECT_EQ(r.data, (Bytes{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}));
}

TEST(RezEncoding, MenusKeepItemNumbersAndSubmenus) {
    const Bytes b = CompileOne("resource 'MENU' 130\n title \"E\"\n item \"U\" key \"Z\"\n item \"-\"\n"
                               " item \"S\" submenu 137\n item \"C\" check disabled\nend\n");
    EXPECT_EQ(b, (Bytes{0, 130, 0, 0, 0, 0, 0, 0, 0, 0,
                        0, 0, 0, 0x0B,  // menu, items 1 and 3 enabled
                        1, 'E', 1, 'U', 0, 'Z', 0, 0, 1, '-', 0, 0, 0, 0, 1, 'S', 0, 0x1B, 137, 0,
                        1, 'C', 0, 0, 0x12, 0, 0}));
    EXPECT_EQ(CompileOne("resource 'MBAR' 128\n menus 128 129\n menus 130\nend\n"), (Bytes{0, 3, 0, 128, 0, 129, 0, 130}));
}

// A title of even length gets a pad byte before the positioning word.
TEST(RezEncoding, DialogAndAlertTemplates) {
    EXPECT_EQ(CompileOne("resource 'DLOG' 135\n bounds 0 0 10 20\n proc movableDBoxProc\n items 135\n"
                         " title \"\"\n position 0x300A\nend\n"),
              (Bytes{0, 0, 0, 0, 0, 10, 0, 20, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 135, 0, 0, 0x30, 0x0A}));
    EXPECT_EQ(CompileOne("resource 'ALRT' 201\n bounds 0 0 100 300\n items 201\n stages 0x4444\nend\n"),
              (Bytes{0, 0, 0, 0, 0, 100, 1, 44, 0, 201, 0x44, 0x44}));
}

TEST(RezEncoding, ItemListsPadTextsToEvenLengths) {
    EXPECT_EQ(CompileOne("resource 'DITL' 1\n button 1 2 3 4 \"OK\"\n static 5 6 7 8 \"abc\" disabled\n"
                         " control 0 0 1 1 300\n user 2 2 4 4 disabled\nend\n"),
              (Bytes{0, 3,                                                        // four items
                     0, 0, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 4, 2, 'O', 'K',          // button
                     0, 0, 0, 0, 0, 5, 0, 6, 0, 7, 0, 8, 136, 3, 'a', 'b', 'c', 0,  // static, padded
                     0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 7, 2, 1, 44,             // control 300
                     0, 0, 0, 0, 0, 2, 0, 2, 0, 4, 0, 4, 128, 0}));               // user item
}


// A space in a row leaves the pixel under it.
TEST(RezEncoding, PixelArtPlaysBackExactly) {
    const Bytes pict = CompileOne("resource 'PICT' 200\n size 5 3\n color k #000000\n color r #FF0000\n"
                                  " color g #00FF00\n fill g\n rect r 1 1 3 4\n at 0 0\n |k k|\n at 2 3\n |kk|\nend\n");
    UniqueHandle pic(NewHandleFromBytes(pict));
    Rect frame;
    QDGetPictureBounds(pic.get(), &frame);
    EXPECT_EQ(frame, MakeRect(0, 0, 3, 5));
    SavedGWorld saved;
    UniqueGWorld g = pixelart::MakeWorld(32, frame);
    ASSERT_EQ(DrawPictureChecked(pic.get(), &frame), noErr);
    EXPECT_EQ(pixelart::Picture(g.get()), (std::vector<std::string>{"#g#gg", "grrrg", "grr##"}));
}

// Clear pixels are left out of the copy: they keep what was drawn before.
TEST(RezEncoding, ClearPixelsKeepWhatIsUnder) {
    const Bytes pict = CompileOne("resource 'PICT' 201\n size 4 2\n color k #000000\n clear .\n fill .\n"
                                  " at 0 0\n |k..k|\n |.kk.|\nend\n");
    UniqueHandle pic(NewHandleFromBytes(pict));
    SavedGWorld saved;
    UniqueGWorld g = pixelart::MakeWorld(32, {"rrrr", "bbbb"});
    const Rect frame = MakeRect(0, 0, 2, 4);
    ASSERT_EQ(DrawPictureChecked(pic.get(), &frame), noErr);
    EXPECT_EQ(pixelart::Picture(g.get()), (std::vector<std::string>{"#rr#", "b##b"}));
}

TEST(RezErrors, MalformedSourcesNameTheirLine) {
    struct Case { const char* text; int line; const char* message; };
    const Case cases[] = {
        {"resource 'STR#' 1\n \"ok\"\n", 1, "no 'end'"}, {"resource 'STR' 1\nend\n", 1, "four characters"},
        {"resource 'STR#' 70000\nend\n", 1, "out of range"}, {"resource 'STR#' 1 bogus\nend\n", 1, "unknown attribute"},
        {"\nitem \"x\"\n", 2, "expected 'resource'"},
        {"resource 'STR#' 1\n \"unterminated\nend\n", 2, "unterminated string"},
        {"resource 'STR#' 1\n \"" "\xC3" "\"\nend\n", 2, "UTF-8"},
        {"resource 'STR ' 1\n \"bad \\q\"\nend\n", 2, "unknown escape"},
        {"resource 'MENU' 1\n title \"T\"\n item \"x\" key \"ab\"\nend\n", 3, "one printable"},
        {"resource 'MENU' 1\n title \"T\"\n item \"x\" key \"A\" submenu 2\nend\n", 3, "submenu"},
        {"resource 'MENU' 1\n item \"x\"\nend\n", 1, "needs a title"},
        {"resource 'WIND' 1\n bounds 10 10 5 20\nend\n", 2, "bottom >= top"},
        {"resource 'WIND' 1\n bounds 1 1 2 2\n title \"a\"\n title \"b\"\nend\n", 4, "given twice"},
        {"resource 'WIND' 1\n bonds 1 1 2 2\nend\n", 2, "unknown statement"},
        {"resource 'DLOG' 1\n bounds 1 1 2 2\nend\n", 1, "needs 'items'"},
        {"resource 'DITL' 1\n knob 1 1 2 2 \"x\"\nend\n", 2, "unknown item kind"},
        {"resource 'CURS' 1\n hotspot 1 1\n |XX|\nend\n", 3, "16 pixels"},
        {"resource 'PAT ' 1\n |XXXXXXXX|\nend\n", 1, "8 rows"},
        {"resource 'PICT' 1\n size 2 2\n |kk|\nend\n", 3, "has no colour"},
        {"resource 'PICT' 1\n size 2 2\n color k #000000\n |kkk|\nend\n", 4, "right edge"},
        {"resource 'PICT' 1\n color k #00000\nend\n", 2, "#RRGGBB"},
        {"resource 'ICN#' 1\n hex 0g\nend\n", 2, "not hex"},
        {"resource 'vers' 1\n version 1.10\n short \"a\"\n long \"b\"\nend\n", 2, "major.minor"},
        {"resource 'STR#' 1\n \"a\"\nresource 'STR#' 2\nend\n", 3, "lacks its 'end'"},
        {"resource 'STR#' 5\nend\nresource 'STR#' 5\nend\n", 3, "already defined at bad.kr:1"},
    };
    for (const Case& c : cases) {
        const RezError e = CompileError(c.text);
        EXPECT_EQ(e.path, "bad.kr") << c.text;
        EXPECT_EQ(e.line, c.line) << c.text << " -> " << e.Format();
        EXPECT_NE(e.message.find(c.message), std::string::npos) << c.text << " -> " << e.Format();
    }
    // 256 bytes do not fit a length byte, and the text is never cut.
    EXPECT_NE(CompileError("resource 'STR ' 1\n\"" + std::string(256, 'x') + "\"\nend\n").message.find("at most 255"),
              std::string::npos);
}

TEST(RezTool, ExitsNonZeroWithFileAndLine) {
    const std::string src = ::testing::TempDir() + "rez_bad_" + std::to_string(getpid()) + ".kr";
    std::ofstream(src) << "resource 'STR#' 1\n  \"ok\"\n  nonsense\nend\n";
    std::vector<unsigned char> out;
    EXPECT_FALSE(RunCapture(std::string("'") + KORVEL_REZ + "' -o /dev/null '" + src + "' 2>&1", out));
    std::remove(src.c_str());
    EXPECT_EQ(std::string(out.begin(), out.end()), src + ":3: error: a string list holds one quoted text per line\n");
}

TEST(RezTool, TheShippedSourcesCompileToWhatIsEmbedded) {
    const std::string out = ::testing::TempDir() + "rez_ok_" + std::to_string(getpid()) + ".rsrc";
    EXPECT_TRUE(RunCommand(std::string("'") + KORVEL_REZ + "' -o '" + out + "' " + KORVEL_RESOURCE_SOURCES + "/*.kr '" +
                           KORVEL_VERSION_SOURCE + "'"));
    std::ifstream in(out, std::ios::binary);
    const Bytes built((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(out.c_str());
    const std::span<const UInt8> embedded = ApplicationResourceBytes();
    EXPECT_EQ(built, Bytes(embedded.begin(), embedded.end()));
}

}  // namespace

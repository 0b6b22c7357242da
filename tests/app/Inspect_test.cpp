// `korvel inspect [--json] FILE` on pictures, icon families, Windows icons
// and resource files: what it prints for each, and how it reports damage (exit status 1,
// one line naming the file and the fault) and files of no kind it knows.
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/resources/Resources.h"
#include "tests/platform/icons/IconTestBytes.h"
#include "tests/platform/picture/PictureTestSupport.h"
#include "tests/platform/resources/ResourceTestSupport.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using icontest::MakeFamily;
using Bytes = std::vector<UInt8>;

// A flat resource file of two resources, one named in Mac OS Roman.
void WriteResourceFile(const std::string& path) {
    const FSSpec fileSpec = FileSpecFor(path);
    FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("rsrc"), smSystemScript);
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    Str255 name{};
    const char text[] = "Caf\x8E";  // e-acute
    name[0] = UInt8(sizeof text - 1);
    std::memcpy(name + 1, text, sizeof text - 1);
    AddResource(restest::NewText("0123456789"), FourCC("ICN#"), 128, name);
    SetResAttrs(Get1Resource(FourCC("ICN#"), 128), resPurgeable);
    AddResource(restest::NewText("x"), FourCC("STR "), -16455, nullptr);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);
}

TEST(Inspect, DescribesEachKindOfFileOrSaysWhatIsWrong) {
    TempFolder dir;
    InitResources();
    UniqueHandle pic = picttest::RecordPattern(32, 10, 4).pic;
    ASSERT_EQ(WritePictFile((dir / "pattern.pict").c_str(), pic.get()), noErr);
    Bytes cut = PictFileBytes(pic.get());
    cut.resize(cut.size() - 12);  // inside the raster
    Spill(dir / "cut.pict", cut);
    WriteResourceFile(dir / "icons.rsrc");
    Bytes damaged;
    ASSERT_EQ(SerializeResourceFork(ResourceForkImage{}, &damaged), noErr);
    damaged[256 + 25] = 2;  // the type list inside the map header
    Spill(dir / "damaged.rsrc", damaged);
    Spill(dir / "plain.txt", TextBytes("just text, no fork here at all"));
    const Bytes packedSmall = {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3};
    Spill(dir / "family.icns", MakeFamily({{"is32", packedSmall}, {"s8mk", Bytes(256, 0)},
                                           {"il32", Bytes(4096, 7)}, {"TOC ", {}}, {"ic\x01s", {1}}}));
    Spill(dir / "empty.icns", MakeFamily({}));
    Spill(dir / "long.icns", MakeFamily({{"ics#", {1, 2}}}, 10));  // claims more than there is
    Spill(dir / "short.icns", {'i', 'c', 'n', 's', 0, 0, 0, 4});
    Spill(dir / "cut.icns", MakeFamily({{"ics#", {1, 2}}}, -1));
    Spill(dir / "overrun.icns", MakeFamily({{"is32", {0xFF, 1, 0xFF, 1}}}));
    Spill(dir / "thumb.icns", MakeFamily({{"it32", {1, 0, 0, 0, 0x80, 1}}}));
    Spill(dir / "png", {0x89, 'P', 'N', 'G'});
    Spill(dir / "ic", {'i', 'c'});
    Spill(dir / "outside.ico", {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 16, 0, 0, 0, 255, 0, 0, 0});
    const std::string ico = std::string(KORVEL_TEST_DATA) + "/ico/";

    const std::string forks = DataForks("");
    struct Case {
        std::string path;
        bool json;
        // Described: every line of `output` appears in what is printed.
        // Broken or unknown: one line "korvel: PATH: REASON" with `output` in REASON.
        bool described;
        std::string output;
    };
    const Case cases[] = {
        {dir / "pattern.pict", true, true,
         "{\"kind\":\"picture\",\"version\":2,\"frame\":[0,0,4,10],\"resolution\":[72,72],\"maxDepth\":32,"
         "\"opcodes\":[\"HeaderOp\",\"ClipRgn\",\"DirectBitsRect\",\"OpEndPic\"]}\n"},
        {dir / "pattern.pict", false, true,
         "picture, version 2 (after a 512-byte file header)\n"
         "DirectBitsRect  32-bit pixel map 10 x 4 packType 4, 3 components"},
        {dir / "cut.pict", false, false, "opcode 0x009A (DirectBitsRect)"},
        {dir / "icons.rsrc", true, true,
         "{\"kind\":\"resource-file\",\"forks\":\"flat\",\"resources\":["
         "{\"type\":\"ICN#\",\"id\":128,\"name\":\"Caf\xC3\xA9\",\"size\":10,\"attributes\":32},"
         "{\"type\":\"STR \",\"id\":-16455,\"name\":null,\"size\":1,\"attributes\":0}],"
         "\"finderInfo\":{\"type\":\"rsrc\",\"creator\":\"Krvl\",\"flags\":0}}\n"},
        {dir / "icons.rsrc", false, true,
         "resource file (flat fork): 2 resources\n"
         "'ICN#' 128 \"Caf\xC3\xA9\" 10 bytes, attributes 0x20\n"
         "'STR ' -16455 1 bytes, attributes 0x00\n"
         "Finder info: type 'rsrc', creator 'Krvl', flags 0x0000\n"},
        {dir / "damaged.rsrc", false, false,
         "damaged resource fork (flat): the type list lies outside the resource map"},
        {forks + "testfile.rsrc", false, true, "resource file (flat fork): 4 resources\n"},
        {forks + "empty.rsrc", false, true, "resource file (flat fork): 0 resources\n"},
        {forks + "alt-ext2.rsrc", false, true, "resource file (appledouble fork): no resource fork\n"},
        {forks + "._GSHK", false, false,
         "damaged resource fork (appledouble): not a Macintosh resource fork (a zero first word starts an Apple IIgs "
         "fork)"},
        {dir / "family.icns", false, true,
         "icon family: 4413 bytes, 5 elements\n"
         "is32 20 compressed\n"
         "s8mk 264\n"
         "il32 4104 uncompressed\n"
         "TOC  8\n"
         "ic\\x01s 9\n"},
        {dir / "family.icns", true, true,
         "{\"kind\":\"icon-family\",\"length\":4413,\"elements\":["
         "{\"type\":\"is32\",\"length\":20,\"compressed\":true},"
         "{\"type\":\"s8mk\",\"length\":264},"
         "{\"type\":\"il32\",\"length\":4104,\"compressed\":false},"
         "{\"type\":\"TOC \",\"length\":8},"
         "{\"type\":\"ic\\\\x01s\",\"length\":9}]}\n"},
        {dir / "empty.icns", false, true, "icon family: 8 bytes, 0 elements\n"},
        {dir / "long.icns", false, true, "icon family: 18 bytes, 1 element\nics# 10\n"},
        {dir / "short.icns", false, false, "smaller than its header"},
        {dir / "cut.icns", false, false, "offset 8"},
        {dir / "overrun.icns", false, false, "'is32' at offset 8: a run"},
        {dir / "thumb.icns", false, false, "four zero bytes"},
        {ico + "icotool-png-32-4.ico", true, true,
         "{\"kind\":\"windows-icon\",\"entries\":[{\"width\":128,\"height\":128,\"bitCount\":32,\"png\":true},"
         "{\"width\":32,\"height\":32,\"bitCount\":32,\"png\":false},"
         "{\"width\":16,\"height\":16,\"bitCount\":4,\"png\":false}]}\n"},
        {ico + "pillow-png.ico", false, true, "Windows icon: 4 images\n16 × 16, 32-bit, PNG\n48 × 48, 32-bit, PNG\n"},
        {dir / "outside.ico", false, false, "image 1: its image (16 bytes at 255) lies outside the file's 22 bytes"},
        // Neither an icon family nor a resource file: the picture probe has the last word.
        {dir / "plain.txt", false, false, "not a picture: no picture header at offset 0 or 512"},
        {dir / "png", false, false, "not a picture"},
        {dir / "ic", false, false, "not a picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.json ? " --json" : ""));
        std::vector<UInt8> bytes;
        const std::string args = std::string(c.json ? "--json '" : "'") + c.path + "' 2>&1";
        const bool ok = RunCapture(std::string(KORVEL_BINARY) + " inspect " + args, bytes);
        const std::string out(bytes.begin(), bytes.end());
        EXPECT_EQ(ok, c.described) << out;
        if (c.described) {
            for (size_t at = 0; at < c.output.size();) {
                const size_t end = std::min(c.output.find('\n', at), c.output.size());
                EXPECT_NE(out.find(c.output.substr(at, end - at)), std::string::npos) << out;
                at = end + 1;
            }
        } else {
            const std::string head = "korvel: " + c.path + ": ";
            EXPECT_EQ(out.substr(0, head.size()), head) << out;
            EXPECT_NE(out.find(c.output, head.size()), std::string::npos) << out;
            EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
        }
    }
    InitResources();
}

}  // namespace

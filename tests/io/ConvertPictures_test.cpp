// `korvel convert` on pictures, through the program's own openers and
// writers: what it writes Pillow reads pixel for pixel, PNG and PICT
// round trips keep every pixel, a drawing is drawn at --size, the PNG
// settings reach the file, and a damaged picture writes nothing.
#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>

namespace {

int Convert(const std::string& args) {
    const int status = std::system((std::string("'") + KORVEL_BINARY + "' convert " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What Pillow prints for a Python expression over `a` and `b` (paths).
std::string Pillow(const std::string& expression, const std::string& a, const std::string& b = "") {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(Python() + " -c \"from PIL import Image; a, b = '" + a + "', '" + b + "'; print(" +
                               expression + ")\"",
                           out));
    return std::string(out.begin(), out.end());
}

TEST(ConvertPictures, WhatKorvelWritesOthersReadAndRoundTripsKeepEveryPixel) {
    TempFolder dir;
    const std::string source = dir / "source.bmp";
    ASSERT_TRUE(RunCommand(Python() + " -c \"from PIL import Image; im = Image.new('RGB', (13, 7), (20, 140, 230)); "
                                      "im.putpixel((3, 2), (255, 255, 0)); im.save('" + source + "')\""));
    const std::string samePixels = "list(Image.open(a).convert('RGB').getdata()) == list(Image.open(b).convert('RGB').getdata())";

    ASSERT_EQ(Convert("'" + source + "' '" + dir / "a.png'"), 0);
    EXPECT_TRUE(RunCommand("pngcheck -q '" + dir / "a.png'"));
    EXPECT_EQ(Pillow(samePixels, source, dir / "a.png"), "True\n");
    ASSERT_EQ(Convert("'" + dir / "a.png' '" + dir / "b.pict'"), 0);
    ASSERT_EQ(Convert("'" + dir / "b.pict' '" + dir / "c.png' --interlaced --compression 9"), 0);
    EXPECT_EQ(Pillow(samePixels, source, dir / "c.png"), "True\n");
    EXPECT_EQ(Pillow("Image.open(a).info.get('interlace')", dir / "c.png"), "1\n");

    Spill(dir / "d.svg", TextBytes("<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'>"
                                   "<rect width='4' height='4' fill='#ff0000'/></svg>"));
    ASSERT_EQ(Convert("'" + dir / "d.svg' '" + dir / "d.png' --size 20x10"), 0);
    EXPECT_EQ(Pillow("Image.open(a).size, Image.open(a).convert('RGB').getpixel((19, 9))", dir / "d.png"),
              "(20, 10) (255, 0, 0)\n");

    std::vector<UInt8> cut = Slurp(dir / "a.png");
    cut.resize(cut.size() / 2);
    Spill(dir / "cut.png", cut);
    EXPECT_EQ(Convert("'" + dir / "cut.png' '" + dir / "cut.pict'"), 1);
    EXPECT_FALSE(PathExists(dir / "cut.pict"));
}

}  // namespace

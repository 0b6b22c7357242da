// PNG data written by Pillow and ImageMagick in the forms a reader meets
// (palette with a transparent entry, 16-bit grey, interlaced, RGBA) decodes
// to exact RGBA; what Korvel encodes decodes to the same pixels (peers read
// it in the Windows icon tests); damaged and oversized data fail with a
// reason and no pixels.
#include "platform/codecs/PngCodec.h"

#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

namespace {

// Runs Pillow code that builds `im` and saves it with the given options.
std::vector<UInt8> PillowPng(const TempFolder& dir, const std::string& build, const std::string& options) {
    const std::string path = dir / "peer.png";
    EXPECT_TRUE(RunCommand(Python() + " -c \"from PIL import Image\n" + build + "\nim.save('" + path + "'" + options +
                           ")\""));
    return Slurp(path);
}

}  // namespace

TEST(PngCodec, DecodesPeerFormsToRgba) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::string build, options;
        std::vector<UInt8> rgba;
    } cases[] = {
        {"palette with a transparent entry",
         "im=Image.new('P',(2,1)); im.putpalette([255,0,0, 0,128,255]); im.putdata([0,1])", ", transparency=1",
         {255, 0, 0, 255, 0, 128, 255, 0}},
        {"16-bit grey", "im=Image.new('I;16',(3,1)); im.putdata([0,0x8080,65535])", "",
         {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"RGBA", "im=Image.new('RGBA',(1,2)); im.putdata([(1,2,3,4),(250,251,252,253)])", "",
         {1, 2, 3, 4, 250, 251, 252, 253}},
    };
    for (const auto& c : cases) {
        RgbaImage image;
        std::string why;
        ASSERT_EQ(DecodePngRgba(PillowPng(dir, c.build, c.options), 100, &image, &why), noErr) << c.name << ": " << why;
        EXPECT_EQ(image.pixels, c.rgba) << c.name;
    }
    // Interlaced (Adam7) rows come back in place.
    RgbaImage image;
    std::string why;
    ASSERT_TRUE(RunCommand("convert -size 9x9 gradient:red-blue -depth 8 rgba:" + dir / "i.rgba"));
    ASSERT_TRUE(RunCommand("convert -size 9x9 -depth 8 rgba:" + dir / "i.rgba" + " -interlace PNG " + dir / "i.png"));
    ASSERT_TRUE(RunCommand("pngcheck " + dir / "i.png" + " | grep -q ', interlaced'"));
    ASSERT_EQ(DecodePngRgba(Slurp(dir / "i.png"), 81, &image, &why), noErr) << why;
    EXPECT_EQ(image.width, 9);
    EXPECT_EQ(image.pixels, Slurp(dir / "i.rgba"));
}

TEST(PngCodec, EncodesAndRefusesDamagedOrOversizedData) {
    RgbaImage image{2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    std::vector<UInt8> png;
    ASSERT_EQ(EncodePngRgba(image, &png), noErr);
    EXPECT_EQ(EncodePngRgba(RgbaImage{2, 2, std::vector<UInt8>(15)}, &png), paramErr);
    ASSERT_EQ(EncodePngRgba(image, &png), noErr);
    RgbaImage out;
    std::string why;
    ASSERT_EQ(DecodePngRgba(png, 4, &out, &why), noErr);
    EXPECT_EQ(out.pixels, image.pixels);
    EXPECT_EQ(DecodePngRgba(png, 3, &out, &why), memFullErr);
    EXPECT_EQ(why, "the PNG image is 2 x 2 pixels, more than the 3 allowed");
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_EQ(DecodePngRgba(std::span(png).first(png.size() - 20), 4, &out, &why), paramErr);
    EXPECT_EQ(why, "damaged PNG image data: the PNG data ends early");
    png[30] ^= 0xFF;  // inside the IHDR chunk: its checksum no longer matches
    EXPECT_EQ(DecodePngRgba(png, 4, &out, &why), paramErr);
    EXPECT_EQ(why.rfind("unreadable PNG header: ", 0), 0u) << why;
    EXPECT_EQ(DecodePngRgba(TextBytes("GIF89a"), 4, &out, &why), paramErr);
    EXPECT_EQ(why, "not PNG data (no PNG signature)");
}

// Set-up shared by the colour tool tests: a paint document made from text
// pictures of its image and mask, at 1:1, with the pen colours (red on white)
// and the fill pattern given back after each test.
#pragma once

#include "tests/tools/PencilTestSupport.h"

#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/raster/Pen.h"

#include <string>
#include <vector>

namespace tooltest {

class ColorToolTest : public penciltest::StrokeTest {
protected:
    void SetUp() override {
        StrokeTest::SetUp();
        savedPattern_ = gPatternNo;
        savedOther_ = gOtherPrefs;
        gCurrentColor = ColorRec{pixelart::kRed, 0};
        gBackColor = ColorRec{pixelart::kWhite, 0};
        gPatternNo = 1;
        gOtherPrefs[kOtherLargePatterns] = 0;
    }
    void TearDown() override {
        gPatternNo = savedPattern_;
        gOtherPrefs = savedOther_;
        StrokeTest::TearDown();
    }

    // A document at 1:1 whose image and mask ('#' opaque) are given as rows.
    static WindowRef MakeDocument(SInt16 depth, const std::vector<std::string>& image,
                                  const std::vector<std::string>& mask) {
        const int w = int(image.at(0).size()), h = int(image.size());
        WindowRef win = MakePaint(w, h, 0, depth);
        EXPECT_NE(win, nullptr);
        if (!win) return nullptr;
        PaintWinRec* rec = GetPaintWinRec(win);
        const PixMap& off = pixelart::MapOf(rec->offPort.get());
        const PixMap& msk = pixelart::MapOf(rec->maskPort.get());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                pixelart::WritePixel(off, x, y, pixelart::ColorOf(image[size_t(y)][size_t(x)]));
                UInt8* row = PixRow(msk, y);
                const UInt8 bit = UInt8(0x80 >> (x & 7));
                if (mask[size_t(y)][size_t(x)] == '#') row[x >> 3] |= bit;
                else row[x >> 3] &= UInt8(~bit);
            }
        SetEmptyRgn(rec->updateRgn);
        ComposeDispPort(rec);
        return win;
    }
    static std::vector<std::string> Image(PaintWinRec* rec) { return pixelart::Picture(rec->offPort.get()); }
    static std::vector<std::string> Mask(PaintWinRec* rec) {
        return pixelart::BitPicture(pixelart::MapOf(rec->maskPort.get()));
    }

private:
    SInt16 savedPattern_ = 1;
    std::array<UInt8, 8> savedOther_{};
};

}  // namespace tooltest

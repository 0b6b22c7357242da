// The paint document without a window: its buffers, the new picture's
// background and the preview image.
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

Rows Blank(int width, int height, char c) { return Rows(size_t(height), std::string(size_t(width), c)); }

struct BackColorGuard {
    ColorRec saved = gBackColor;
    ~BackColorGuard() { gBackColor = saved; }
};

}  // namespace

TEST(PaintBuffers, MadeWhiteAndTransparentAtTheDocumentDepth) {
    for (SInt16 depth : {8, 24}) {
        auto rec = MakeBuffers(33, 7, depth, 3);
        EXPECT_EQ(rec->dispRect, MakeRect(0, 0, 56, 264));
        for (GWorldPtr g : {rec->offPort.get(), rec->undoPort.get(), rec->basePort.get(), rec->dispPort.get()}) {
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(GetPixDepth(GetGWorldPixMap(g)), depth == 24 ? 32 : 8);
            EXPECT_EQ(MapOf(g).bounds, rec->picRect);
            EXPECT_EQ(Picture(g), Blank(33, 7, '.'));
        }
        for (GWorldPtr g : {rec->maskPort.get(), rec->undoMask.get(), rec->baseMask.get()}) {
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(GetPixDepth(GetGWorldPixMap(g)), 1);
            EXPECT_EQ(BitPicture(MapOf(g)), Blank(33, 7, '.'));
        }
        UniqueRgn pic;
        RectRgn(pic, &rec->picRect);
        EXPECT_TRUE(EqualRgn(rec->selRgn, pic));
        EXPECT_TRUE(EqualRgn(rec->undoSelRgn, pic));
        EXPECT_TRUE(EmptyRgn(rec->selDispRgn));
        EXPECT_TRUE(EmptyRgn(rec->updateRgn));
        EXPECT_EQ(rec->selRect, rec->picRect);
        EXPECT_FALSE(rec->isFloating);
        EXPECT_TRUE(rec->showBack);
        EXPECT_FALSE(rec->backPort);
    }
}

TEST(PaintBuffers, ImpossibleSizeLeavesNothingMade) {
    for (Rect r : {MakeRect(0, 0, 0, 10), MakeRect(0, 0, 20000, 20000)}) {
        PaintWinRec rec;
        rec.picRect = r;
        rec.depth = 24;
        EXPECT_NE(MakePaintBuffers(&rec), noErr);
        EXPECT_FALSE(rec.offPort || rec.dispPort || rec.maskPort || rec.baseMask);
    }
}

TEST(PaintBuffers, EraseOffPortWhitensImagesAndClearsMasks) {
    auto rec = MakeBuffers(4, 3, 24);
    for (GWorldPtr g : {rec->offPort.get(), rec->undoPort.get(), rec->basePort.get(), rec->dispPort.get()})
        WritePixel(MapOf(g), 2, 1, kRed);
    for (GWorldPtr g : {rec->maskPort.get(), rec->undoMask.get(), rec->baseMask.get()})
        WritePixel(MapOf(g), 3, 2, kBlack);
    EraseOffPort(rec.get());
    for (GWorldPtr g : {rec->offPort.get(), rec->undoPort.get(), rec->basePort.get(), rec->dispPort.get()})
        EXPECT_EQ(Picture(g), Blank(4, 3, '.'));
    for (GWorldPtr g : {rec->maskPort.get(), rec->undoMask.get(), rec->baseMask.get()})
        EXPECT_EQ(BitPicture(MapOf(g)), Blank(4, 3, '.'));
}

TEST(NewPicture, BackgroundKinds) {
    BackColorGuard guard;
    struct Case { SInt16 kind; ColorRec back; char mask, image; bool transparent; } cases[] = {
        {0, {kBlue, 0}, '#', '.', false},   // white, opaque
        {1, {kBlue, 0}, '.', '.', true},    // transparent
        {2, {kRed, 0}, '#', 'r', false},    // the background colour, opaque
        {2, {kRed, 1}, '.', '.', true},     // a transparent background colour
        {5, {kRed, 0}, '.', '.', false},    // unknown kinds leave the mask clear
    };
    for (const Case& c : cases) {
        for (SInt16 depth : {8, 24}) {
            SCOPED_TRACE(testing::Message() << "kind " << c.kind << " depth " << depth);
            gBackColor = c.back;
            auto rec = MakeBuffers(5, 3, depth);
            FillNewPicture(rec.get(), c.kind);
            EXPECT_EQ(BitPicture(MapOf(rec->maskPort.get())), Blank(5, 3, c.mask));
            EXPECT_EQ(Picture(rec->offPort.get()), Blank(5, 3, c.image));
            EXPECT_EQ(Bytes(rec->dispPort.get()), Bytes(rec->offPort.get()));
            EXPECT_EQ(rec->hasTransparency, c.transparent);
        }
    }
}

TEST(PreviewImage, BackgroundLayerUnderTheForeground) {
    auto rec = MakeBuffers(3, 1, 24);
    EXPECT_EQ(MakePreviewImage(rec.get()), rec->dispPort.get());  // no layer: the picture itself
    ASSERT_EQ(NewGWorld(rec->backPort.out(), 32, &rec->picRect, nullptr, nullptr, 0), noErr);
    for (int x = 0; x < 3; ++x) WritePixel(MapOf(rec->backPort.get()), x, 0, kRed);
    WritePixel(MapOf(rec->offPort.get()), 1, 0, kBlue);
    WritePixel(MapOf(rec->maskPort.get()), 1, 0, kBlack);
    struct Case { bool showBack; SInt16 foreTrans; std::string want; } cases[] = {
        {true, 0, "rbr"},   // the foreground's opaque pixels over the layer
        {true, 4, "rrr"},   // the foreground hidden
        {false, 0, ".b."},  // the layer hidden
        {false, 4, "..."},
    };
    for (const Case& c : cases) {
        rec->showBack = c.showBack;
        rec->foreTrans = c.foreTrans;
        UniqueGWorld preview(MakePreviewImage(rec.get()));
        ASSERT_TRUE(preview);
        EXPECT_NE(preview.get(), rec->dispPort.get());
        EXPECT_EQ(Picture(preview.get())[0], c.want) << c.showBack << " " << c.foreTrans;
    }
}

// The eyedropper in a picture and on the screen.
#include "tools/Eyedropper.h"

#include "app/PaletteContent.h"
#include "platform/ui/DesktopPixels.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

// Opaque pixels give their exact colour; transparent ones opaque white
// without a background layer; the pen colour moves to the previous colour.
TEST_F(ColorToolTest, EyedropperTakesTheColourUnderThePoint) {
    auto [w, rec] = MakeDoc(Rows{"r#..", "...."}, 0, Rows{"##.#", "...."});
    const RGBColor odd{0x1212, 0xFEFE, 0x0101};
    WritePixel(MapOf(rec->offPort.get()), 3, 0, odd);
    ComposeDispPort(rec);
    struct Case { Point at; RGBColor expected; };
    const Case cases[] = {
        {Point{0, 0}, kRed},   {Point{0, 1}, kBlack}, {Point{0, 3}, odd},
        {Point{0, 2}, kWhite}, {Point{1, 0}, kWhite},
    };
    for (const Case& c : cases) {
        gCurrentColor = ColorRec{kBlue, 1};
        DoSpoit(w, c.at);
        EXPECT_EQ(gCurrentColor.rgb, c.expected);
        EXPECT_EQ(gCurrentColor.isTransparent, 0) << "the eyedropper never picks transparency";
        EXPECT_EQ(gPrevColor, (ColorRec{kBlue, 1}));
    }
    // Zoomed, a window point names the pixel it lies on.
    rec->ratio = 2;
    DoSpoit(w, Point{2, 5});
    EXPECT_EQ(gCurrentColor.rgb, kBlack);
    DoSpoit(w, Point{1, 13});
    EXPECT_EQ(gCurrentColor.rgb, odd);
}

// With a background layer a transparent pixel shows the layer, and picks
// nothing while the layer is hidden.
TEST_F(ColorToolTest, EyedropperReadsTheBackgroundLayerUnderTransparency) {
    auto [w, rec] = MakeDoc(Rows{"r."}, 0, Rows{"#."});
    ASSERT_EQ(NewGWorld(rec->backPort.out(), 32, &rec->picRect, nullptr, nullptr, 0), noErr);
    WritePixel(MapOf(rec->backPort.get()), 1, 0, kGreen);
    RGBColor c{};
    EXPECT_TRUE(GetSpoitColor(rec, Point{0, 1}, &c));
    EXPECT_EQ(c, kGreen);
    EXPECT_TRUE(GetSpoitColor(rec, Point{0, 0}, &c));
    EXPECT_EQ(c, kRed);
    rec->showBack = false;
    c = kBlue;
    EXPECT_FALSE(GetSpoitColor(rec, Point{0, 1}, &c));
    EXPECT_EQ(c, kBlue);
}

// While a selection floats, a pixel opaque only in the base below it counts.
TEST_F(ColorToolTest, EyedropperSeesTheBaseUnderAFloatingSelection) {
    auto [w, rec] = MakeDoc(Rows{"...", "..."}, 0, Rows{"...", "..."});
    rec->isFloating = true;
    const Rect one = MakeRect(0, 0, 1, 1);
    rec->selRect = one;
    RectRgn(rec->selRgn, &one);
    WritePixel(MapOf(rec->basePort.get()), 2, 1, kBlue);
    PixRow(MapOf(rec->baseMask.get()), 1)[0] = 0x20;  // h 2 opaque
    ComposeDispPort(rec);
    RGBColor c{};
    EXPECT_TRUE(GetSpoitColor(rec, Point{1, 2}, &c));
    EXPECT_EQ(c, kBlue);
}

// The screen eyedropper reads what the windows show: a release accepts the
// colour under the pointer; a key cancels and gives the pen colour back.
TEST_F(ColorToolTest, ScreenEyedropperAcceptsOnReleaseAndCancelsOnKey) {
    WindowRef w = MakeDoc(Rows{"r.", ".."}, 0, Rows{"##", "##"});
    Rect content = Content(w);
    {
        SavedGWorld saved;
        SetPortWindowPort(w);
        RGBForeColor(&kGreen);
        const Rect r = MakeRect(10, 10, 12, 12);
        PaintRect(&r);
        RGBForeColor(&kBlack);
    }
    const Point at{SInt16(content.top + 10), SInt16(content.left + 10)};
    Settle();
    gCurrentColor = ColorRec{kRed, 0};
    ScriptMouseMove(at);
    ScriptMouseDown(at);
    ScriptMouseUp(at);
    GetDesktopColor();
    EXPECT_EQ(gCurrentColor, (ColorRec{kGreen, 0}));
    EXPECT_EQ(gPrevColor, (ColorRec{kRed, 0}));

    ScriptMouseMove(at);
    ScriptKey(kVK_Escape, kEscapeCharCode);
    GetDesktopColor();
    EXPECT_EQ(gCurrentColor, (ColorRec{kGreen, 0}));
    EXPECT_EQ(gPrevColor, (ColorRec{kRed, 0}));
    ClearScript();
}

}  // namespace

// The blend palette: derived colours against mixes computed here, locking,
// blend palette files written and read back, and damaged files refused.
#include "palettes/BlendPalette.h"

#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "io/OpenDocuments.h"
#include "platform/files/FileIO.h"
#include "platform/raster/ColorTables.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

constexpr RGBColor kRed{0xFFFF, 0, 0}, kBlue{0, 0, 0xFFFF}, kGreen{0, 0xFFFF, 0}, kMid{0x8000, 0x8000, 0x8000};

// The buffer's pixel at (h, v); InTable: the nearest colour of its table.
RGBColor Pixel(int h, int v, const RGBColor* inTable = nullptr) {
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    RGBColor c;
    if (inTable) Index2Color(Color2Index(inTable), &c);
    else GetCPixel(SInt16(h), SInt16(v), &c);
    return c;
}
RGBColor InTable(RGBColor c) { return Pixel(0, 0, &c); }
std::vector<RGBColor> Derived() {
    std::vector<RGBColor> all;
    for (int i = 0; i < 10; ++i) all.push_back(Pixel(i < 5 ? 2 : 19, 28 + 15 * (i % 5)));
    return all;
}
RGBColor Half(RGBColor a, RGBColor b) {
    return {UInt16((a.red >> 1) + (b.red >> 1)), UInt16((a.green >> 1) + (b.green >> 1)),
            UInt16((a.blue >> 1) + (b.blue >> 1))};
}

class BlendPaletteTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        Rect r{0, 0, 103, 35};
        if (!gBlendPalettePtr) {
            ASSERT_EQ(NewGWorld(&gBlendPalettePtr, 8, &r, nullptr, nullptr, 0), noErr);
        }
        gBlendLocked = false;
        Set(kRed, kBlue);
    }
    void TearDown() override {
        gBlendLocked = false;
        ToolTest::TearDown();
    }
    static void Set(RGBColor current, RGBColor previous) {
        gPrevColor = ColorRec{previous, 0};
        gCurrentColor = ColorRec{current, 0};
        DrawBlend();
    }
    FSSpec FileSpecNamed(const std::string& name) {
        FSSpec fileSpec;
        EXPECT_EQ(FSSpecFromPath(dir_ / name, &fileSpec), noErr);
        return fileSpec;
    }
    SavedToolGlobals savedGlobals_;
    TempFolder dir_;
};

TEST_F(BlendPaletteTest, DerivedColoursAreTheMixesInTheTableAndClicksPickThem) {
    const RGBColor m = Half(kRed, kBlue);
    const std::vector<RGBColor> gradient{kRed, Half(m, kRed), m, Half(m, kBlue), kBlue};
    EXPECT_EQ(gradient[1], (RGBColor{0xBFFE, 0, 0x3FFF}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Derived()[size_t(5 + i)], InTable(gradient[size_t(i)])) << i;
    Set(kBlack, kWhite);
    const UInt16 shades[5] = {0x4444, 0x2222, 0, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Derived()[size_t(i)], InTable(RGBColor{shades[i], shades[i], shades[i]}));

    // Pen Color's Lighter and Darker take one step of the shades.
    for (const auto& [item, step] : {std::pair{1, 0xA222}, std::pair{2, 0x5DDE}}) {
        Set(kMid, kWhite);
        HandlePenColorChoice(SInt16(item));
        EXPECT_EQ(gCurrentColor.rgb, InTable(RGBColor{UInt16(step), UInt16(step), UInt16(step)})) << item;
    }
    // A click: current colour (red becomes the previous one, at the gradient's
    // end); Option: background; the exchange swaps the two.
    Set(kRed, kBlue);
    ClickBlendPalette(Point{60, 20}, false, false, false);
    EXPECT_EQ(gCurrentColor, (ColorRec{InTable(m), 0}));
    ClickBlendPalette(Point{90, 20}, true, false, false);
    EXPECT_EQ(gBackColor, (ColorRec{kRed, 0}));
    ClickBlendPalette(Point{15, 15}, false, false, false);
    EXPECT_EQ(gCurrentColor, (ColorRec{kRed, 0}));
    EXPECT_EQ(gBackColor, (ColorRec{InTable(m), 0}));
}

TEST_F(BlendPaletteTest, LockedFileLoadsBackWithTheColoursKept) {
    const auto redToBlue = Derived();
    HandleBlendPaletteChoice(4);
    ChangeColor(&kGreen, false);
    EXPECT_EQ(Derived(), redToBlue);  // only the top swatches follow
    EXPECT_EQ(Pixel(8, 8), kGreen);
    HandleBlendPaletteChoice(4);
    EXPECT_NE(Derived(), redToBlue);

    Set(kRed, kBlue);
    ASSERT_EQ(SaveBlendPalette(FileSpecNamed("colors.kblend")), noErr);
    const std::vector<UInt8> file = Slurp(dir_ / "colors.kblend");
    const SInt16 ref = OpenResFileFromBytes(file, fsRdPerm);
    UseResFile(ref);
    Handle clut = Get1Resource(FourCC("clut"), 128);
    ASSERT_TRUE(clut && GetHandleSize(clut) == 24);
    const UInt8* b = reinterpret_cast<const UInt8*>(*clut);
    EXPECT_EQ(std::vector<UInt8>(b + 4, b + 24),
              (std::vector<UInt8>{0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF}));
    CloseResFile(ref);
    UseResFile(gApplRefNum);

    for (int way = 0; way < 2; ++way) {  // the menu's code, and an opened document
        gBlendLocked = false;
        Set(kGreen, kWhite);
        gBackColor = ColorRec{kBlack, 1};
        ASSERT_EQ(way ? HandleOpenDoc(FileSpecNamed("colors.kblend")) : LoadBlendPalette(FileSpecNamed("colors.kblend")), noErr);
        EXPECT_TRUE(gBlendLocked);
        EXPECT_EQ(Derived(), redToBlue);
        EXPECT_TRUE(gCurrentColor == (ColorRec{kGreen, 0}) && gPrevColor == (ColorRec{kWhite, 0}) &&
                    gBackColor == (ColorRec{kBlack, 1}));
    }
    EXPECT_TRUE(DialogsShown().empty());
}

TEST_F(BlendPaletteTest, DamagedFilesAreRefusedAndChangeNothing) {
    const std::vector<UInt8> good{0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF};
    auto with = [&](size_t at, UInt8 v) { auto c = good; c[at] = v; return c; };
    const std::vector<std::pair<std::vector<UInt8>, ResID>> cluts{
        {good, 129}, {with(7, 0), 128}, {with(6, 0xFF), 128}, {{good.begin(), good.end() - 2}, 128}, {{}, 128}};
    std::vector<std::vector<UInt8>> files{std::vector<UInt8>(300, 0xA5), std::vector<UInt8>((1 << 20) + 1, 0)};
    for (const auto& [clut, id] : cluts) {
        const SInt16 ref = NewResFileInMemory();
        UseResFile(ref);
        Handle h = NewHandle(Size(clut.size()));
        std::copy(clut.begin(), clut.end(), reinterpret_cast<UInt8*>(*h));
        AddResource(h, FourCC("clut"), id, nullptr);
        ASSERT_EQ(GetResFileBytes(ref, &files.emplace_back()), noErr);
        CloseResFile(ref);
    }
    UseResFile(gApplRefNum);
    HandleBlendPaletteChoice(4);  // locked on red to blue
    Set(kGreen, kWhite);
    const auto derived = Derived();
    const ColorRec current = gCurrentColor, previous = gPrevColor, back = gBackColor;
    for (size_t n = 0; n <= files.size(); ++n) {
        const std::string name = "bad" + std::to_string(n) + ".kblend";  // the last is missing
        if (n < files.size()) {
            ASSERT_EQ(WriteFileAtomically(dir_ / name, files[n]), noErr);
        }
        ResetScriptLog();
        EXPECT_NE(LoadBlendPalette(FileSpecNamed(name)), noErr) << n;
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{201}) << n;
        EXPECT_NE(LastAlertText().find("cannot be opened"), std::string::npos) << n;
        EXPECT_TRUE(gBlendLocked && Derived() == derived && gCurrentColor == current && gPrevColor == previous &&
                    gBackColor == back) << n;
    }
}

}  // namespace

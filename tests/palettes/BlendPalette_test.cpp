// The blend palette: derived colours against mixes computed here, locking,
// blend palette files written and read back, and damaged files refused.
#include "palettes/BlendPalette.h"

#include "app/PaletteContent.h"
#include "io/OpenDocuments.h"
#include "platform/files/FileIO.h"
#include "platform/raster/ColorTables.h"
#include "platform/ui/Menus.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/PaintTestSupport.h"

#include <array>

using namespace painttest;

namespace {

constexpr RGBColor kRed{0xFFFF, 0, 0}, kBlue{0, 0, 0xFFFF}, kGreen{0, 0xFFFF, 0};

// The colour a derived swatch shows: column 0 shades, 1 the gradient.
RGBColor Swatch(int column, int row) {
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    RGBColor c;
    GetCPixel(SInt16(column ? 19 : 2), SInt16(28 + 15 * row), &c);
    return c;
}
std::array<RGBColor, 10> Derived() {
    std::array<RGBColor, 10> all;
    for (int i = 0; i < 10; ++i) all[size_t(i)] = Swatch(i / 5, i % 5);
    return all;
}
// The colour of the palette's 8-bit table nearest to c.
RGBColor InTable(RGBColor c) {
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    RGBColor out;
    Index2Color(Color2Index(&c), &out);
    return out;
}
RGBColor Half(RGBColor a, RGBColor b) {
    return {UInt16((a.red >> 1) + (b.red >> 1)), UInt16((a.green >> 1) + (b.green >> 1)),
            UInt16((a.blue >> 1) + (b.blue >> 1))};
}

// A resource file holding `clut` as 'clut' `id`.
std::vector<UInt8> ClutFile(std::vector<UInt8> clut, ResID id = 128) {
    const SInt16 ref = NewResFileInMemory();
    const SInt16 saved = CurResFile();
    UseResFile(ref);
    Handle h = NewHandle(Size(clut.size()));
    std::copy(clut.begin(), clut.end(), reinterpret_cast<UInt8*>(*h));
    AddResource(h, FourCC("clut"), id, nullptr);
    std::vector<UInt8> bytes;
    EXPECT_EQ(GetResFileBytes(ref, &bytes), noErr);
    UseResFile(saved);
    CloseResFile(ref);
    return bytes;
}

class BlendPaletteTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        if (!gBlendPalettePtr) {
            Rect r = MakeRect(0, 0, 103, 35);
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
    static FSSpec Spec(const std::string& path) {
        FSSpec spec;
        EXPECT_EQ(FSSpecFromPath(path, &spec), noErr);
        return spec;
    }
    SavedToolGlobals savedGlobals_;
    TempFolder dir_;
};

TEST_F(BlendPaletteTest, DerivedColoursAreTheMixesInTheTableAndAClickPicksThem) {
    const RGBColor m = Half(kRed, kBlue);
    const RGBColor gradient[5] = {kRed, Half(m, kRed), m, Half(m, kBlue), kBlue};
    EXPECT_EQ(gradient[1], (RGBColor{0xBFFE, 0, 0x3FFF}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Swatch(1, i), InTable(gradient[i])) << i;

    Set(kBlack, kWhite);
    const UInt16 shades[5] = {0x4444, 0x2222, 0, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Swatch(0, i), InTable(RGBColor{shades[i], shades[i], shades[i]})) << i;

    // Plain click: current colour (red becomes the previous one); Option:
    // background; the exchange swaps the two.
    Set(kRed, kBlue);
    ClickBlendPalette(Point{60, 20}, false, false, false);
    EXPECT_EQ(gCurrentColor, (ColorRec{InTable(m), 0}));
    ClickBlendPalette(Point{90, 20}, true, false, false);
    EXPECT_EQ(gBackColor, (ColorRec{kRed, 0}));
    ClickBlendPalette(Point{15, 15}, false, false, false);
    EXPECT_EQ(gCurrentColor, (ColorRec{kRed, 0}));
    EXPECT_EQ(gBackColor, (ColorRec{InTable(m), 0}));
}

TEST_F(BlendPaletteTest, LockFreezesTheDerivedColoursOnly) {
    const auto before = Derived();
    HandleBlendPaletteChoice(4);
    ASSERT_TRUE(gBlendLocked);
    ChangeColor(&kGreen, false);
    EXPECT_EQ(Derived(), before);
    RGBColor top;
    {
        SavedGWorld saved;
        SetGWorld(gBlendPalettePtr, nullptr);
        GetCPixel(8, 8, &top);
    }
    EXPECT_EQ(top, kGreen);
    if (MenuRef menu = GetMenuHandle(169)) {
        UInt16 mark = 0;
        GetItemMark(menu, 4, &mark);
        EXPECT_NE(mark, 0);
    }
    HandleBlendPaletteChoice(4);
    EXPECT_FALSE(gBlendLocked);
    EXPECT_NE(Derived(), before);
}

TEST_F(BlendPaletteTest, SavedFileLoadsBackLockedWithTheColoursKept) {
    const auto redToBlue = Derived();
    const std::string path = dir_ / "colors.kblend";
    ASSERT_EQ(SaveBlendPalette(Spec(path)), noErr);

    // The file holds the two colours as a two-entry 'clut' 128.
    const std::vector<UInt8> file = Slurp(path);
    const SInt16 ref = OpenResFileFromBytes(file, fsRdPerm);
    ASSERT_NE(ref, kResFileNotOpen);
    UseResFile(ref);
    Handle clut = Get1Resource(FourCC("clut"), 128);
    ASSERT_TRUE(clut);
    ASSERT_EQ(GetHandleSize(clut), 24);
    const UInt8* b = reinterpret_cast<const UInt8*>(*clut);
    EXPECT_EQ(std::vector<UInt8>(b + 4, b + 24), (std::vector<UInt8>{0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1,
                                                                      0, 0, 0, 0, 0xFF, 0xFF}));
    Str255 name;
    ResID id;
    ResType type;
    GetResInfo(clut, &id, &type, name);
    EXPECT_EQ(PStringToStd(name), "blend colors");
    CloseResFile(ref);
    UseResFile(gApplRefNum);

    // Loading, from the menu's code and as an opened document, keeps the
    // colours and shows the file's derived colours, locked.
    for (int way = 0; way < 2; ++way) {
        gBlendLocked = false;
        Set(kGreen, kWhite);
        gBackColor = ColorRec{kBlack, 1};
        ASSERT_EQ(way ? HandleOpenDoc(Spec(path)) : LoadBlendPalette(Spec(path)), noErr);
        EXPECT_TRUE(gBlendLocked);
        EXPECT_EQ(gCurrentColor, (ColorRec{kGreen, 0}));
        EXPECT_EQ(gPrevColor, (ColorRec{kWhite, 0}));
        EXPECT_EQ(gBackColor, (ColorRec{kBlack, 1}));
        EXPECT_EQ(Derived(), redToBlue);
    }
    EXPECT_TRUE(DialogsShown().empty());
}

TEST_F(BlendPaletteTest, DamagedFilesAreRefusedAndChangeNothing) {
    const std::vector<UInt8> good{0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF};
    std::vector<UInt8> oneEntry = good;
    oneEntry[7] = 0;
    std::vector<UInt8> negative = good;
    negative[6] = negative[7] = 0xFF;
    const std::vector<std::vector<UInt8>> files{
        ClutFile(good, 129),                                        // no 'clut' 128
        ClutFile(oneEntry),                                         // one entry
        ClutFile(negative),                                         // no entry at all
        ClutFile(std::vector<UInt8>(good.begin(), good.end() - 2)),  // the second entry cut short
        ClutFile({}),                                               // empty
        std::vector<UInt8>(300, 0xA5),                              // not a resource file
    };
    HandleBlendPaletteChoice(4);  // locked on red to blue
    Set(kGreen, kWhite);
    const auto derived = Derived();
    const ColorRec current = gCurrentColor, previous = gPrevColor, back = gBackColor;
    int n = 0;
    for (const auto& bytes : files) {
        const std::string path = dir_ / ("bad" + std::to_string(n++) + ".kblend");
        ASSERT_EQ(WriteFileAtomically(path, bytes), noErr);
        ResetScriptLog();
        EXPECT_NE(LoadBlendPalette(Spec(path)), noErr) << n;
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{201}) << n;
        EXPECT_NE(LastAlertText().find("cannot be opened"), std::string::npos) << n;
        EXPECT_TRUE(gBlendLocked);
        EXPECT_EQ(Derived(), derived) << n;
        EXPECT_EQ(gCurrentColor, current);
        EXPECT_EQ(gPrevColor, previous);
        EXPECT_EQ(gBackColor, back);
    }
    ResetScriptLog();
    EXPECT_NE(LoadBlendPalette(Spec(dir_ / "missing.kblend")), noErr);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{201});
}

}  // namespace

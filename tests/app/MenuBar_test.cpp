// The menu bar: dispatch of choices, the enabling and marks UpdateMenus
// keeps, the Window and Display menus, and dialog placement.
#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "app/MenuCommands.h"
#include "app/PaletteWindows.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scripting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

UInt16 Mark(MenuID id, MenuItemIndex item) {
    UInt16 mark = noMark;
    GetItemMark(GetMenuHandle(id), item, &mark);
    return mark;
}

// The marked items of a menu, as item numbers.
std::vector<int> Marked(MenuID id) {
    std::vector<int> items;
    MenuRef menu = GetMenuHandle(id);
    for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) {
        if (Mark(id, i) == checkMark) items.push_back(i);
    }
    return items;
}

Boolean Enabled(MenuID id, MenuItemIndex item) { return IsMenuItemEnabled(GetMenuHandle(id), item); }

std::string ItemText(MenuID id, MenuItemIndex item) {
    Str255 text;
    GetMenuItemText(GetMenuHandle(id), item, text);
    return PStringToStd(text);
}

WindowRef* const kPalettes[] = {&TitleWindow,   &gToolPalette,  &InfoWindow,     &ColorPalette1, &ColorPalette2,
                                &gBlendPalette, &PatternPalette, &FavoritePalette, &gPreviewWindow, &DotModePalette};

// Everything a menu choice could change, to show that one changed nothing.
struct ProgramState {
    std::vector<bool> visible;
    WindowRef front;
    int windows;
    SInt16 penW, penH, eraserW, eraserH, paletteCheck, listBackground, tool;
    UInt16 grid;
    UInt8 ruler;
    ColorRec current, previous;
    size_t dialogs;
    std::vector<std::vector<int>> marks;
    bool operator==(const ProgramState&) const = default;
};

ProgramState Snapshot() {
    ProgramState s{};
    for (WindowRef* p : kPalettes) s.visible.push_back(*p && IsWindowVisible(*p));
    s.front = FrontWindow();
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) ++s.windows;
    s.penW = gPenWidth, s.penH = gPenHeight, s.eraserW = gEraserWidth, s.eraserH = gEraserHeight;
    s.paletteCheck = gPaletteCheck, s.listBackground = gListBackground, s.tool = gSelectedTool;
    s.grid = gToolPrefs.gridSetting, s.ruler = gToolPrefs.showRuler;
    s.current = gCurrentColor, s.previous = gPrevColor;
    s.dialogs = DialogsShown().size();
    for (MenuID id : {kPenSizeMenuID, kEraserSizeMenuID, kGridMenuID, kMagMenuID, kDispMenuID, kPaletteCheckMenuID,
                      kListBackgroundMenuID, kToolMenuID}) {
        s.marks.push_back(Marked(id));
    }
    return s;
}

// A document window of `kind` other than a paint window, as icon documents
// will make them.
WindowRef MakeDocument(SInt16 kind, const char* title, SInt16 left, SInt16 top) {
    Rect bounds;
    SetRect(&bounds, left, top, SInt16(left + 200), SInt16(top + 150));
    Str255 t;
    CopyCStringToPascal(title, t);
    WindowRef w = NewCWindow(nullptr, &bounds, t, true, documentProc, kFirstWindowOfClass, true, nullptr);
    SetExtWindowKind(w, kind);
    return w;
}

WindowRef MakePaint(const char* title, SInt16 width = 32, SInt16 height = 24, SInt16 ratio = 2) {
    Rect pic;
    SetRect(&pic, 0, 0, width, height);
    WindowRef w = MakePaintWindow(&pic, ratio, 8);
    Str255 t;
    CopyCStringToPascal(title, t);
    if (w) SetWTitle(w, t);
    return w;
}

void CloseAllDocuments() {
    for (;;) {
        WindowRef doc = nullptr;
        for (WindowRef w = GetWindowList(); w && !doc; w = GetNextWindow(w)) {
            if (IsDocumentWindowKind(GetExtWindowKind(w))) doc = w;
        }
        if (!doc) break;
        if (GetExtWindowKind(doc) == kPaintWindowKind) (void)ClosePaintWindow(doc, true);
        else DisposeWindow(doc);
    }
    UpdateMenus();
}

class MenuBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        SetUnattended(true);
        ASSERT_EQ(OpenApplicationResources(), noErr);
        gApplRefNum = GetApplicationResFile();
        InitConstants();
        InitGlobals();
        MenuBarInit();
        ToolWindowInit();
        ASSERT_NE(gToolPalette, nullptr);
        ASSERT_NE(GetMenuHandle(kFileMenuID), nullptr);
    }
    void SetUp() override {
        CloseAllDocuments();
        ResetScriptLog();
        ShowAllPalettes();
    }
    void TearDown() override { CloseAllDocuments(); }
};

TEST_F(MenuBarTest, NoChoiceAndUnknownMenusChangeNothing) {
    WindowRef paint = MakePaint("a");
    ASSERT_NE(paint, nullptr);
    UpdateMenus();
    const ProgramState before = Snapshot();
    for (SInt32 choice : {SInt32(0), MenuChoice(136, 1), MenuChoice(150, 2), MenuChoice(200, 1),
                          MenuChoice(kMagPopupMenuID, 3), MenuChoice(kBlendMenuID, 2),
                          MenuChoice(kColorModeMenuID, 3), MenuChoice(kSelectionMenuID, 1),
                          MenuChoice(kBlendPaletteMenuID, 4), MenuChoice(kForeTransMenuID, 2),
                          MenuChoice(kWindowMenuID, 0), MenuChoice(kDispMenuID, 9), MenuChoice(kDispMenuID, 11),
                          MenuChoice(kPenSizeMenuID, 17), MenuChoice(kGridMenuID, 0)}) {
        HandleMenuChoice(choice);
        EXPECT_EQ(Snapshot(), before) << std::hex << choice;
    }
}

// Items 11 to 20 of Edit and Effect act on a paint window only.
TEST_F(MenuBarTest, PaintOnlyItemsDoNothingWithoutAPaintWindow) {
    for (SInt16 kind : {SInt16(0), SInt16(kIconListWindowKind), SInt16(kFamilyWindowKind)}) {
        WindowRef doc = kind ? MakeDocument(kind, "icons", 300, 200) : nullptr;
        UpdateMenus();
        const ProgramState before = Snapshot();
        for (MenuID menu : {kEditMenuID, kEffectMenuID}) {
            for (MenuItemIndex item = 11; item <= 20; ++item) {
                if (FindMenuCommand(menu, item)) {
                    EXPECT_FALSE(Enabled(menu, item)) << menu << "/" << item;
                }
                HandleMenuChoice(MenuChoice(menu, item));
                EXPECT_EQ(Snapshot(), before) << menu << "/" << item << " kind " << kind;
            }
        }
        if (doc) DisposeWindow(doc);
    }
}

// Enabling follows the command table and what is in front.
TEST_F(MenuBarTest, UpdateMenusEnablesWhatCanRun) {
    struct Case {
        MenuID menu;
        MenuItemIndex item;
        bool noWindow, paintWindow;
    };
    const Case cases[] = {
        {kFileMenuID, 1, true, true},   {kFileMenuID, 2, false, false}, {kFileMenuID, 3, false, true},
        {kFileMenuID, 4, false, false}, {kFileMenuID, 7, false, false}, {kFileMenuID, 9, false, false},
        {kFileMenuID, 11, true, true},  {kFileMenuID, 13, true, true},  {kEditMenuID, 1, false, false},
        {kEditMenuID, 5, false, false}, {kEditMenuID, 14, false, false}, {kEditMenuID, 19, false, false},
        {kEffectMenuID, 3, false, false}, {kToolMenuID, 5, true, true}, {kToolMenuID, 6, true, true},
        {kToolMenuID, 9, false, false}, {kIconMenuID, 1, false, false}, {kWindowMenuID, 1, false, true},
    };
    UpdateMenus();
    for (const Case& c : cases) EXPECT_EQ(Enabled(c.menu, c.item), c.noWindow) << c.menu << "/" << c.item;
    ASSERT_NE(MakePaint("p"), nullptr);
    UpdateMenus();
    for (const Case& c : cases) EXPECT_EQ(Enabled(c.menu, c.item), c.paintWindow) << c.menu << "/" << c.item;
}

TEST_F(MenuBarTest, PenAndEraserSizesMoveTheMarkAndRedrawTheInfoWindow) {
    struct Case {
        MenuID menu;
        SInt16 item, width, height;
    };
    const Case cases[] = {
        {kPenSizeMenuID, 4, 4, 1},    {kPenSizeMenuID, 5, 1, 2},    {kPenSizeMenuID, 10, 2, 3},
        {kPenSizeMenuID, 16, 4, 4},   {kPenSizeMenuID, 1, 1, 1},    {kEraserSizeMenuID, 7, 3, 2},
        {kEraserSizeMenuID, 13, 1, 4}, {kEraserSizeMenuID, 1, 1, 1},
    };
    Rect all;
    GetWindowPortBounds(InfoWindow, &all);
    for (const Case& c : cases) {
        const bool pen = c.menu == kPenSizeMenuID;
        ValidWindowRect(InfoWindow, &all);
        HandleMenuChoice(MenuChoice(c.menu, MenuItemIndex(c.item)));
        EXPECT_EQ(pen ? gPenWidth : gEraserWidth, c.width) << c.item;
        EXPECT_EQ(pen ? gPenHeight : gEraserHeight, c.height) << c.item;
        EXPECT_EQ(Marked(c.menu), std::vector<int>{c.item});
        EXPECT_TRUE(IsWindowUpdatePending(InfoWindow)) << c.item;

        // The same size again changes nothing, not even the info window.
        ValidWindowRect(InfoWindow, &all);
        const ProgramState before = Snapshot();
        HandleMenuChoice(MenuChoice(c.menu, MenuItemIndex(c.item)));
        EXPECT_EQ(Snapshot(), before);
        EXPECT_FALSE(IsWindowUpdatePending(InfoWindow)) << c.item;
    }
    HandleMenuChoice(MenuChoice(kEraserSizeMenuID, 6));
    EXPECT_EQ(gEraserWidth, 2);
    EXPECT_EQ(gEraserHeight, 2);
    EXPECT_EQ(Marked(kEraserSizeMenuID), std::vector<int>{6});
    EXPECT_EQ(Marked(kPenSizeMenuID), std::vector<int>{1});
}

// Cells of the pen-size menus: a footprint centred in 16 x 16, the marked
// size framed 2 pixels in, the item under the mouse framed 1 pixel in.
TEST_F(MenuBarTest, PenSizeCellsAreDrawnExactly) {
    Rect bounds;
    SetRect(&bounds, 0, 0, 16, 16);
    UniqueGWorld gw;
    GWorldPtr raw = nullptr;
    ASSERT_EQ(NewGWorld(&raw, 32, &bounds, nullptr, nullptr, 0), noErr);
    gw = UniqueGWorld(raw);
    MenuRef menu = GetMenuHandle(kPenSizeMenuID);
    ASSERT_NE(menu, nullptr);
    struct Case {
        MenuItemIndex item;
        Boolean marked, hilited;
        Rect foot;  // top, left, bottom, right
    };
    const Case cases[] = {
        {1, false, false, {8, 8, 9, 9}},  {2, false, false, {8, 7, 9, 9}},  {3, true, false, {8, 7, 9, 10}},
        {4, false, true, {8, 6, 9, 10}},  {7, false, false, {7, 7, 9, 10}}, {16, true, true, {6, 6, 10, 10}},
        {9, false, false, {7, 8, 10, 9}},
    };
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(raw, nullptr);
    const UInt16 savedMark = Mark(kPenSizeMenuID, PenSizeItem(gPenWidth, gPenHeight));
    for (const Case& c : cases) {
        for (MenuItemIndex i = 1; i <= 16; ++i) SetItemMark(menu, i, noMark);
        if (c.marked) SetItemMark(menu, c.item, checkMark);
        RGBColor red{0xFFFF, 0, 0};
        RGBForeColor(&red);
        PaintRect(&bounds);  // the cell erases whatever was there
        RGBForeColor(&rgbBlackColor);
        DrawPenSizeCell(menu, c.item, &bounds, c.hilited);
        for (SInt16 v = 0; v < 16; ++v) {
            for (SInt16 h = 0; h < 16; ++h) {
                const Point pt{v, h};
                bool black = PtInRect(pt, &c.foot);
                auto onFrame = [&](int inset) {
                    return (v == inset || v == 15 - inset || h == inset || h == 15 - inset) && v >= inset &&
                           v <= 15 - inset && h >= inset && h <= 15 - inset;
                };
                if (c.marked && onFrame(2)) black = !black;
                if (c.hilited && onFrame(1)) black = !black;
                RGBColor got;
                GetCPixel(h, v, &got);
                const RGBColor want = black ? rgbBlackColor : rgbWhiteColor;
                ASSERT_TRUE(EqualColor(&got, &want)) << "item " << c.item << " at " << h << "," << v;
            }
        }
    }
    SetGWorld(savedPort, savedDevice);
    for (MenuItemIndex i = 1; i <= 16; ++i) SetItemMark(menu, i, noMark);
    SetItemMark(menu, PenSizeItem(gPenWidth, gPenHeight), savedMark);
}

// Closing a palette by its box and choosing its Display item both keep the
// item's mark equal to the palette's visibility.
TEST_F(MenuBarTest, DisplayMarksFollowThePalettes) {
    Rect frame;
    GetWindowBounds(gToolPalette, kWindowStructureRgn, &frame);
    Point box{0, 0};
    for (SInt16 h = frame.left; h < frame.right && box.h == 0; ++h) {
        WindowRef hit = nullptr;
        const Point pt{SInt16(frame.top + kFloatingTitleBarHeight / 2), h};
        if (FindWindow(pt, &hit) == inGoAway && hit == gToolPalette) box = pt;
    }
    ASSERT_NE(box.h, 0) << "no close box found";
    EXPECT_EQ(Mark(kDispMenuID, 2), checkMark);
    ScriptClick(box);
    RunPendingEvents();
    EXPECT_FALSE(IsWindowVisible(gToolPalette));
    EXPECT_EQ(Mark(kDispMenuID, 2), noMark);

    // From the menu bar, as the user chooses it.
    ScriptMenuChoice(MenuChoice(kDispMenuID, 2));
    RunPendingEvents();
    EXPECT_TRUE(IsWindowVisible(gToolPalette));
    EXPECT_EQ(Mark(kDispMenuID, 2), checkMark);

    for (SInt16 item = 1; item <= 8; ++item) {
        WindowRef palette = PaletteForDispItem(item);
        ASSERT_NE(palette, nullptr);
        HandleDispChoice(item);
        EXPECT_FALSE(IsWindowVisible(palette)) << item;
        EXPECT_EQ(Mark(kDispMenuID, MenuItemIndex(item)), noMark) << item;
    }
    EXPECT_EQ(Marked(kDispMenuID), std::vector<int>{});
    HandleDispChoice(10);
    EXPECT_EQ(Marked(kDispMenuID), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    for (SInt16 item = 1; item <= 8; ++item) EXPECT_TRUE(IsWindowVisible(PaletteForDispItem(item))) << item;
}

TEST_F(MenuBarTest, ShowAllLeavesPreviewAndDotModeAsTheyWere) {
    for (bool preview : {false, true}) {
        for (bool dot : {false, true}) {
            ShowHide(gPreviewWindow, preview);
            ShowHide(DotModePalette, dot);
            HideWindow(PatternPalette);
            HandleMenuChoice(MenuChoice(kDispMenuID, 10));
            EXPECT_EQ(IsWindowVisible(gPreviewWindow), preview);
            EXPECT_EQ(IsWindowVisible(DotModePalette), dot);
            EXPECT_TRUE(IsWindowVisible(PatternPalette));
        }
    }
    // Neither has a Display item: showing or hiding them leaves the menu alone.
    const std::vector<int> marks = Marked(kDispMenuID);
    ShowHidePalette(gPreviewWindow, false);
    ShowHidePalette(DotModePalette, true);
    EXPECT_EQ(Marked(kDispMenuID), marks);
    ShowHidePalette(DotModePalette, false);
}

// The preview and dot-mode palettes follow the front document.
TEST_F(MenuBarTest, PreviewFollowsTheFrontDocument) {
    ShowWindow(gPreviewWindow);
    ShowWindow(DotModePalette);
    UpdateMenus();
    EXPECT_FALSE(IsWindowVisible(gPreviewWindow));
    EXPECT_FALSE(IsWindowVisible(DotModePalette));

    WindowRef paint = MakePaint("p", 40, 30);
    ASSERT_NE(paint, nullptr);
    GetPaintWinRec(paint)->dotMode = true;
    UpdateMenus();
    Rect r;
    GetWindowPortBounds(gPreviewWindow, &r);
    EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 30);
    EXPECT_TRUE(IsWindowVisible(DotModePalette));
    GetPaintWinRec(paint)->dotMode = false;

    WindowRef list = MakeDocument(kIconListWindowKind, "icons", 300, 200);
    ShowWindow(DotModePalette);
    UpdateMenus();
    GetWindowPortBounds(gPreviewWindow, &r);
    EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
    EXPECT_EQ(r.right - r.left, 127);
    EXPECT_EQ(r.bottom - r.top, 173);
    EXPECT_FALSE(IsWindowVisible(DotModePalette));
    DisposeWindow(list);
}

// Window menu: icon lists, icon families, then paint windows, each group
// after a separator, front to back; the front document is marked.
TEST_F(MenuBarTest, WindowMenuListsDocumentsByGroup) {
    WindowRef p1 = MakePaint("paint one");
    WindowRef l1 = MakeDocument(kIconListWindowKind, "list one", 300, 200);
    WindowRef p2 = MakePaint("paint two");
    WindowRef f1 = MakeDocument(kFamilyWindowKind, "family one", 320, 220);
    WindowRef l2 = MakeDocument(kIconListWindowKind, "list two", 340, 240);
    ASSERT_TRUE(p1 && p2);
    UpdateMenus();
    // Front to back now: l2, f1, p2, l1, p1.
    const std::vector<std::string> expected = {"-", "list two", "list one", "-", "family one",
                                               "-", "paint two", "paint one"};
    ASSERT_EQ(CountMenuItems(GetMenuHandle(kWindowMenuID)), 3 + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ItemText(kWindowMenuID, MenuItemIndex(4 + i)), expected[i]) << i;
    }
    EXPECT_EQ(Marked(kWindowMenuID), std::vector<int>{5});

    struct Choice {
        MenuItemIndex item;
        WindowRef front;
    };
    // Items 4, 7 and 9 are separators: the front window stays.
    const Choice choices[] = {{11, p1}, {4, p1}, {6, l1}, {7, l1}, {8, f1}, {9, f1}, {6, l2}, {11, p2}};
    for (const Choice& c : choices) {
        HandleMenuChoice(MenuChoice(kWindowMenuID, c.item));
        EXPECT_EQ(FrontDocumentWindow(), c.front) << c.item;
        // The menu is rebuilt at once with the new front window marked.
        Str255 title;
        GetWTitle(c.front, title);
        int marked = 0;
        for (int i : Marked(kWindowMenuID)) {
            EXPECT_EQ(ItemText(kWindowMenuID, MenuItemIndex(i)), PStringToStd(title));
            ++marked;
        }
        EXPECT_EQ(marked, 1);
    }
    // Only the groups present get a separator.
    DisposeWindow(f1);
    DisposeWindow(l1);
    DisposeWindow(l2);
    UpdateMenus();
    ASSERT_EQ(CountMenuItems(GetMenuHandle(kWindowMenuID)), 6);
    EXPECT_EQ(ItemText(kWindowMenuID, 4), "-");
    EXPECT_EQ(ItemText(kWindowMenuID, 5), "paint two");
    EXPECT_EQ(ItemText(kWindowMenuID, 6), "paint one");
}

// Items 6 and 7 toggle the block grid (bits 4 to 7), the others choose the
// pixel-grid style (bits 0 to 3); the rest of the setting is kept.
TEST_F(MenuBarTest, GridChoicesSetTheirBits) {
    struct Case {
        UInt16 before;
        SInt16 item;
        UInt16 after;
        std::vector<int> marks;
    };
    const Case cases[] = {
        {0x0021, 6, 0x0011, {1, 6}}, {0x0021, 7, 0x0001, {1}},    {0x0001, 7, 0x0021, {1, 7}},
        {0x0011, 6, 0x0001, {1}},    {0x0001, 6, 0x0011, {1, 6}}, {0x0021, 3, 0x0023, {3, 7}},
        {0x0025, 1, 0x0021, {1, 7}}, {0x0023, 3, 0x0023, {3, 7}}, {0x1F21, 6, 0x1F11, {1, 6}},
        {0xAB15, 2, 0xAB12, {2, 6}},
    };
    WindowRef paint = MakePaint("grid");
    ASSERT_NE(paint, nullptr);
    Rect all;
    GetWindowPortBounds(paint, &all);
    const UInt16 saved = gToolPrefs.gridSetting;
    for (const Case& c : cases) {
        gToolPrefs.gridSetting = c.before;
        UpdateToolMenu();
        ValidWindowRect(paint, &all);
        HandleMenuChoice(MenuChoice(kGridMenuID, MenuItemIndex(c.item)));
        EXPECT_EQ(gToolPrefs.gridSetting, c.after) << std::hex << c.before << " item " << std::dec << c.item;
        EXPECT_EQ(Marked(kGridMenuID), c.marks) << std::hex << c.before << " item " << std::dec << c.item;
        // Paint windows show the new grid; an unchanged setting redraws nothing.
        EXPECT_EQ(IsWindowUpdatePending(paint), c.before != c.after) << c.item;
    }
    gToolPrefs.gridSetting = saved;
    UpdateToolMenu();
}

TEST_F(MenuBarTest, MagnificationFollowsTheFrontPaintWindow) {
    HandleMenuChoice(MenuChoice(kMagMenuID, 4));  // nothing in front: nothing to zoom
    WindowRef a = MakePaint("a", 32, 24, 2);
    ASSERT_NE(a, nullptr);
    UpdateMenus();
    EXPECT_TRUE(Enabled(kWindowMenuID, 1));
    EXPECT_EQ(Marked(kMagMenuID), std::vector<int>{3});
    for (SInt16 item : {5, 1, 4}) {
        HandleMenuChoice(MenuChoice(kMagMenuID, MenuItemIndex(item)));
        EXPECT_EQ(GetPaintWinRec(a)->ratio, item - 1);
        EXPECT_EQ(Marked(kMagMenuID), std::vector<int>{item});
    }
    WindowRef b = MakePaint("b", 32, 24, 0);
    ASSERT_NE(b, nullptr);
    UpdateMenus();
    EXPECT_EQ(Marked(kMagMenuID), std::vector<int>{1});
    HandleMenuChoice(MenuChoice(kMagMenuID, 2));
    EXPECT_EQ(GetPaintWinRec(b)->ratio, 1);
    EXPECT_EQ(GetPaintWinRec(a)->ratio, 3);

    WindowRef list = MakeDocument(kIconListWindowKind, "icons", 300, 200);
    UpdateMenus();
    EXPECT_FALSE(Enabled(kWindowMenuID, 1));
    HandleMenuChoice(MenuChoice(kMagMenuID, 5));
    EXPECT_EQ(GetPaintWinRec(b)->ratio, 1);
    DisposeWindow(list);
}

TEST_F(MenuBarTest, PenColourItems) {
    Rect bounds;
    SetRect(&bounds, 0, 0, 40, 90);
    GWorldPtr palette = nullptr;
    ASSERT_EQ(NewGWorld(&palette, 8, &bounds, nullptr, nullptr, 0), noErr);
    GWorldPtr savedPalette = gBlendPalettePtr;
    gBlendPalettePtr = palette;
    RGBColor c1, c2, c5, other;
    IndexToRGBColor(5, &c1);
    IndexToRGBColor(100, &c2);
    IndexToRGBColor(200, &c5);
    IndexToRGBColor(17, &other);
    {
        CGrafPtr port;
        GDHandle device;
        GetGWorld(&port, &device);
        SetGWorld(palette, nullptr);
        for (SInt16 v = 0; v < 90; ++v) {
            for (SInt16 h = 0; h < 40; ++h) SetCPixel(h, v, &other);
        }
        SetCPixel(1, 43, &c1);
        SetCPixel(1, 77, &c2);
        SetCPixel(20, 60, &c5);
        SetGWorld(port, device);
    }
    const ColorRec start{rgbWhiteColor, 1};
    gCurrentColor = start;
    gPrevColor = ColorRec{rgbBlackColor, 0};
    struct Step {
        SInt16 item;
        RGBColor current;
        UInt8 transparent;
        RGBColor previous;
    };
    const Step steps[] = {
        {1, c1, 0, rgbWhiteColor},  // the transparent pen becomes opaque
        {2, c2, 0, c1},
        {5, c5, 0, c2},
        {4, c2, 0, c5},             // the previous colour swaps with the current one
        {4, c5, 0, c2},
        {5, c5, 0, c2},             // the same colour again changes nothing
        {7, c5, 0, c2},             // picking from the screen arrives later
        {3, c5, 0, c2},
    };
    for (const Step& s : steps) {
        HandleMenuChoice(MenuChoice(kPenColorMenuID, MenuItemIndex(s.item)));
        EXPECT_TRUE(EqualColor(&gCurrentColor.rgb, &s.current)) << s.item;
        EXPECT_EQ(gCurrentColor.isTransparent, s.transparent) << s.item;
        EXPECT_TRUE(EqualColor(&gPrevColor.rgb, &s.previous)) << s.item;
    }
    EXPECT_FALSE(Enabled(kPenColorMenuID, 7));
    // Without the palette's buffer the palette items do nothing.
    gBlendPalettePtr = nullptr;
    HandleMenuChoice(MenuChoice(kPenColorMenuID, 1));
    EXPECT_TRUE(EqualColor(&gCurrentColor.rgb, &c5));
    gBlendPalettePtr = savedPalette;
    DisposeGWorld(palette);
    InitColorGlobals();
}

TEST_F(MenuBarTest, RulerPaletteCheckAndListBackgroundMarks) {
    const UInt8 ruler = gToolPrefs.showRuler;
    for (int i = 0; i < 2; ++i) {
        const UInt8 before = gToolPrefs.showRuler;
        HandleMenuChoice(MenuChoice(kToolMenuID, 6));
        EXPECT_EQ(gToolPrefs.showRuler, before ? 0 : 1);
        EXPECT_EQ(Mark(kToolMenuID, 6), gToolPrefs.showRuler ? checkMark : noMark);
    }
    EXPECT_EQ(gToolPrefs.showRuler, ruler);

    const SInt16 check = gPaletteCheck;
    for (SInt16 item : {3, 3, 1, 4}) {
        HandleMenuChoice(MenuChoice(kPaletteCheckMenuID, MenuItemIndex(item)));
        EXPECT_EQ(gPaletteCheck, item - 1);
        EXPECT_EQ(Marked(kPaletteCheckMenuID), std::vector<int>{item});
    }
    HandleMenuChoice(MenuChoice(kPaletteCheckMenuID, MenuItemIndex(check + 1)));

    const SInt16 background = gListBackground;
    for (SInt16 item : {2, 3, 3, 1}) {
        HandleMenuChoice(MenuChoice(kListBackgroundMenuID, MenuItemIndex(item)));
        EXPECT_EQ(gListBackground, item);
        EXPECT_EQ(Marked(kListBackgroundMenuID), std::vector<int>{item});
    }
    EXPECT_FALSE(Enabled(kListBackgroundMenuID, 4));
    HandleMenuChoice(MenuChoice(kListBackgroundMenuID, MenuItemIndex(background)));
}

// A dialog goes 20 pixels down and across from the front document's content
// when all of it fits on the desktop, else it stays where its template put it.
TEST_F(MenuBarTest, DialogsPlaceThemselvesOverTheFrontDocument) {
    Rect bounds;
    SetRect(&bounds, 10, 30, 210, 130);  // 200 x 100, content at (10, 30)
    Str255 title;
    CopyCStringToPascal("Question", title);
    WindowRef dialog = NewCWindow(nullptr, &bounds, title, false, movableDBoxProc, kFirstWindowOfClass, false, nullptr);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        SInt16 docLeft, docTop;  // content corner of the front document
        SInt16 left, top;        // expected content corner of the dialog
    };
    // The desktop is 1024 x 768: the corner 20 + 200 across must stay below 1024.
    const Case cases[] = {
        {100, 50, 120, 70},
        {803, 400, 823, 420},  // bottom-right corner (1023, 520) is on the desktop
        {804, 400, 10, 30},    // (1024, 520) is not
        {300, 647, 320, 667},  // bottom at 767
        {300, 648, 10, 30},
        {900, 700, 10, 30},
    };
    for (const Case& c : cases) {
        MoveWindow(dialog, 10, 30, false);
        HideWindow(dialog);
        WindowRef doc = MakeDocument(kIconListWindowKind, "doc", 0, 0);
        MoveWindow(doc, c.docLeft, c.docTop, true);
        MoveDialogToParentWindow(dialog);
        Rect r;
        GetWindowBounds(dialog, kWindowContentRgn, &r);
        EXPECT_EQ(r.left, c.left) << c.docLeft << "," << c.docTop;
        EXPECT_EQ(r.top, c.top) << c.docLeft << "," << c.docTop;
        EXPECT_TRUE(IsWindowVisible(dialog));
        DisposeWindow(doc);
    }
    // Without a document it stays and is shown.
    MoveWindow(dialog, 10, 30, false);
    HideWindow(dialog);
    MoveDialogToParentWindow(dialog);
    GetWindowBounds(dialog, kWindowContentRgn, &bounds);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 30);
    EXPECT_TRUE(IsWindowVisible(dialog));
    DisposeWindow(dialog);
}

}  // namespace

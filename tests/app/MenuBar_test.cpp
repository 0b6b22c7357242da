// The menu bar: dispatch of choices, the enabling and marks UpdateMenus
// keeps, the Window and Display menus, and dialog placement.
#include "tests/support/PaintTestSupport.h"

#include "app/MenuCommands.h"
#include "app/PaletteWindows.h"
#include "platform/raster/ColorTables.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace painttest;

namespace {

WindowRef* const kPalettes[] = {&TitleWindow,   &gToolPalette,   &InfoWindow,      &ColorPalette1,  &ColorPalette2,
                                &gBlendPalette, &PatternPalette, &FavoritePalette, &gPreviewWindow, &DotModePalette};

// Everything a menu choice could change, to show that one changed nothing.
struct ProgramState {
    std::vector<int> numbers;
    ColorRec current, previous;
    WindowRef front;
    std::vector<std::vector<int>> marks;
    bool operator==(const ProgramState&) const = default;
};
ProgramState Snapshot() {
    ProgramState s{{gPenWidth, gPenHeight, gEraserWidth, gEraserHeight, gPaletteCheck, gListBackground, gSelectedTool,
                    gToolPrefs.gridSetting, gToolPrefs.showRuler, int(DialogsShown().size())},
                   gCurrentColor, gPrevColor, FrontWindow(), {}};
    for (WindowRef* p : kPalettes) s.numbers.push_back(IsWindowVisible(*p));
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) s.numbers.push_back(IsWindowVisible(w));
    for (MenuID id : {kPenSizeMenuID, kEraserSizeMenuID, kGridMenuID, kMagMenuID, kDispMenuID, kPaletteCheckMenuID,
                      kListBackgroundMenuID, kToolMenuID}) {
        s.marks.push_back(Marked(id));
    }
    return s;
}

WindowRef MakeTitledPaint(const char* title, SInt16 width = 32, SInt16 height = 24, SInt16 ratio = 2) {
    const Rect pic{0, 0, height, width};
    WindowRef w = MakePaintWindow(&pic, ratio, 8);
    Str255 t;
    CopyCStringToPascal(title, t);
    SetWTitle(w, t);
    return w;
}

class MenuBarTest : public PaintWindowTest {
protected:
    void SetUp() override {
        PaintWindowTest::SetUp();
        ShowAllPalettes();
    }
    void TearDown() override {
        PaintWindowTest::TearDown();
        UpdateMenus();
    }
};

// No choice, menus nobody routes, separators and items out of range do
// nothing; nor do Edit and Effect items 11 to 20 without a paint window.
TEST_F(MenuBarTest, ChoicesThatCannotActChangeNothing) {
    for (SInt16 kind : {SInt16(0), SInt16(kIconListWindowKind), SInt16(kFamilyWindowKind), SInt16(kPaintWindowKind)}) {
        if (kind == kPaintWindowKind) MakeTitledPaint("a");
        else if (kind) MakePlainWindow(kind, "icons");
        UpdateMenus();
        std::vector<SInt32> choices = {0, MenuChoice(136, 1), MenuChoice(200, 1), MenuChoice(kMagPopupMenuID, 3),
                                       MenuChoice(kBlendMenuID, 5),
                                       MenuChoice(kSelectionMenuID, 1), MenuChoice(kWindowMenuID, 1),
                                       MenuChoice(kDispMenuID, 9), MenuChoice(kPenSizeMenuID, 17),
                                       MenuChoice(kGridMenuID, 0), MenuChoice(kPenColorMenuID, 3)};
        for (MenuItemIndex item = 11; kind != kPaintWindowKind && item <= 20; ++item) {
            choices.insert(choices.end(), {MenuChoice(kEditMenuID, item), MenuChoice(kEffectMenuID, item)});
        }
        if (kind != kPaintWindowKind) choices.push_back(MenuChoice(kColorModeMenuID, 3));
        const ProgramState before = Snapshot();
        for (SInt32 choice : choices) {
            HandleMenuChoice(choice);
            EXPECT_EQ(Snapshot(), before) << "kind " << kind << " choice " << std::hex << choice;
        }
        CloseAllDocuments();
    }
}

// Enabling follows what can act on the front document; the Undo item names
// its last edit (negative: undone); the preview follows it and the dot-mode
// palette stays hidden.
TEST_F(MenuBarTest, UpdateMenusFollowsTheFrontDocument) {
    const struct { MenuID menu; MenuItemIndex item; bool noWindow, paintWindow; } cases[] = {
        {kFileMenuID, 1, true, true},    {kFileMenuID, 2, true, true},   {kFileMenuID, 3, false, true},
        {kFileMenuID, 4, false, false},  {kFileMenuID, 9, false, false},   {kFileMenuID, 11, true, true},
        {kFileMenuID, 13, true, true},   {kEditMenuID, 1, false, false},   {kEditMenuID, 5, false, false},
        {kEditMenuID, 19, false, false}, {kEffectMenuID, 3, false, true}, {kToolMenuID, 6, true, true},
        {kToolMenuID, 9, false, false},  {kIconMenuID, 1, true, true},      {kWindowMenuID, 1, false, true},
    };
    ShowWindow(gPreviewWindow);
    ShowWindow(DotModePalette);
    UpdateMenus();
    for (const auto& c : cases) EXPECT_EQ(Enabled(c.menu, c.item), c.noWindow) << c.menu << "/" << c.item;
    EXPECT_EQ(ItemText(kEditMenuID, 1), "Can’t Undo");
    EXPECT_FALSE(IsWindowVisible(gPreviewWindow));
    EXPECT_FALSE(IsWindowVisible(DotModePalette));

    WindowRef paint = MakeTitledPaint("p", 40, 30);
    UpdateMenus();
    for (const auto& c : cases) EXPECT_EQ(Enabled(c.menu, c.item), c.paintWindow) << c.menu << "/" << c.item;
    const struct {
        SInt16 mode;
        const char* text;
    } states[] = {{0, "Can’t Undo"}, {1, "Undo Painting"}, {3, "Undo Move"}, {-1, "Redo Painting"},
                  {-4, "Redo Effect"}};
    for (const auto& s : states) {
        GetPaintWinRec(paint)->undoMode = s.mode;
        ShowWindow(DotModePalette);
        UpdateMenus();
        EXPECT_EQ(ItemText(kEditMenuID, 1), s.text) << s.mode;
        EXPECT_EQ(Enabled(kEditMenuID, 1), s.mode != 0) << s.mode;
        EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
        EXPECT_EQ(Port(gPreviewWindow), (Rect{0, 0, 30, 40}));
        EXPECT_FALSE(IsWindowVisible(DotModePalette));
    }

    MakePlainWindow(kIconListWindowKind, "icons");
    ShowWindow(DotModePalette);
    UpdateMenus();
    EXPECT_TRUE(IsWindowVisible(gPreviewWindow));
    EXPECT_EQ(Port(gPreviewWindow), (Rect{0, 0, 173, 128}));
    EXPECT_FALSE(IsWindowVisible(DotModePalette));
    EXPECT_FALSE(Enabled(kWindowMenuID, 1));
}

// The extra modifiers MenuBarInit gives shared letters, seen with every item
// enabled: each combination reaches exactly one item.
TEST_F(MenuBarTest, CommandKeysWithShiftAndOption) {
    const MenuID menus[] = {kFileMenuID, kEditMenuID, kEffectMenuID, kIconMenuID, kSelectionMenuID};
    for (MenuID id : menus) {
        EnableMenuItem(GetMenuHandle(id), 0);
        for (MenuItemIndex i = 1; i <= CountMenuItems(GetMenuHandle(id)); ++i) EnableMenuItem(GetMenuHandle(id), i);
    }
    const struct { char ch; UInt8 keyCode; EventModifiers modifiers; SInt32 choice; } keys[] = {
        {'s', kVK_ANSI_S, 0, MenuChoice(kFileMenuID, 4)}, {'s', kVK_ANSI_S, shiftKey, MenuChoice(kFileMenuID, 5)},
        {'o', kVK_ANSI_O, 0, MenuChoice(kFileMenuID, 2)}, {'o', kVK_ANSI_O, shiftKey, MenuChoice(kFileMenuID, 9)},
        {'n', kVK_ANSI_N, 0, MenuChoice(kFileMenuID, 1)}, {'n', kVK_ANSI_N, shiftKey, MenuChoice(kIconMenuID, 1)},
        {'n', kVK_ANSI_N, optionKey, MenuChoice(kIconMenuID, 2)},
        {'b', kVK_ANSI_B, shiftKey, MenuChoice(kEditMenuID, 14)},
        {'h', kVK_ANSI_H, shiftKey, MenuChoice(kEditMenuID, 20)},
        {'h', kVK_ANSI_H, optionKey, MenuChoice(kSelectionMenuID, 4)},
        {'i', kVK_ANSI_I, shiftKey, MenuChoice(kIconMenuID, 7)},
        {'e', kVK_ANSI_E, shiftKey, MenuChoice(kIconMenuID, 8)}, {'e', kVK_ANSI_E, 0, MenuChoice(kEffectMenuID, 20)},
        {'b', kVK_ANSI_B, 0, 0}, {'h', kVK_ANSI_H, 0, 0}, {'i', kVK_ANSI_I, 0, 0},
    };
    for (const auto& k : keys) {
        EventRecord event;
        event.what = keyDown;
        event.message = UInt32(UInt8(k.ch)) | UInt32(k.keyCode) << 8;
        event.modifiers = EventModifiers(cmdKey | k.modifiers);
        EXPECT_EQ(SInt32(MenuEvent(&event)), k.choice) << k.ch << " " << k.modifiers;
    }
    for (MenuID id : menus) DisableMenuItem(GetMenuHandle(id), 0);
    for (MenuID id : {kFileMenuID, kEditMenuID, kEffectMenuID, kIconMenuID}) EnableMenuItem(GetMenuHandle(id), 0);
    UpdateMenus();
}

// Item n is the footprint ((n − 1) mod 4 + 1) x ((n − 1) div 4 + 1); the
// current one changes nothing, not even the info window.
TEST_F(MenuBarTest, PenAndEraserSizes) {
    const struct {
        MenuID menu;
        SInt16 item, width, height;
    } cases[] = {{kPenSizeMenuID, 4, 4, 1},    {kPenSizeMenuID, 5, 1, 2},    {kPenSizeMenuID, 10, 2, 3},
                 {kPenSizeMenuID, 16, 4, 4},   {kPenSizeMenuID, 1, 1, 1},    {kEraserSizeMenuID, 7, 3, 2},
                 {kEraserSizeMenuID, 1, 1, 1}, {kEraserSizeMenuID, 6, 2, 2}};
    const Rect all = Port(InfoWindow);
    for (const auto& c : cases) {
        for (bool again : {false, true}) {
            ValidWindowRect(InfoWindow, &all);
            const ProgramState before = Snapshot();
            HandleMenuChoice(MenuChoice(c.menu, MenuItemIndex(c.item)));
            const bool pen = c.menu == kPenSizeMenuID;
            EXPECT_EQ(pen ? gPenWidth : gEraserWidth, c.width) << c.item;
            EXPECT_EQ(pen ? gPenHeight : gEraserHeight, c.height) << c.item;
            EXPECT_EQ(Marked(c.menu), std::vector<int>{c.item});
            EXPECT_EQ(IsWindowUpdatePending(InfoWindow), !again) << c.item;
            EXPECT_TRUE(!again || Snapshot() == before) << c.item;
        }
    }
    EXPECT_EQ(Marked(kPenSizeMenuID), std::vector<int>{1});
}

// Display items carry a mark exactly while their palette is shown, whether
// it was closed by its box or chosen; "show all" leaves the preview (item 12,
// marked while wanted) and the dot-mode palette as they were.
TEST_F(MenuBarTest, DisplayMarksFollowThePalettes) {
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 12};
    Rect frame;
    GetWindowBounds(gToolPalette, kWindowStructureRgn, &frame);
    Point box{0, 0};
    for (SInt16 h = frame.left; h < frame.right && box.h == 0; ++h) {
        WindowRef hit = nullptr;
        const Point pt{SInt16(frame.top + kFloatingTitleBarHeight / 2), h};
        if (FindWindow(pt, &hit) == inGoAway && hit == gToolPalette) box = pt;
    }
    ASSERT_NE(box.h, 0) << "no close box found";
    ScriptClick(box);
    RunPendingEvents();
    EXPECT_FALSE(IsWindowVisible(gToolPalette));
    EXPECT_EQ(Marked(kDispMenuID), (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 12}));
    ScriptMenuChoice(MenuChoice(kDispMenuID, 2));  // as the user chooses it from the bar
    RunPendingEvents();
    EXPECT_TRUE(IsWindowVisible(gToolPalette));
    EXPECT_EQ(Marked(kDispMenuID), all);

    for (SInt16 item = 1; item <= 8; ++item) {
        HandleDispChoice(item);
        EXPECT_FALSE(IsWindowVisible(PaletteForDispItem(item))) << item;
    }
    EXPECT_EQ(Marked(kDispMenuID), std::vector<int>{12});
    MakeTitledPaint("p", 40, 30);
    for (int others = 0; others < 4; ++others) {
        ShowHidePalette(gPreviewWindow, others & 1);
        ShowHidePalette(DotModePalette, others & 2);
        HideWindow(PatternPalette);
        HandleMenuChoice(MenuChoice(kDispMenuID, 10));
        std::vector<int> marked = all;
        if (!(others & 1)) marked.pop_back();
        EXPECT_EQ(Marked(kDispMenuID), marked);
        for (SInt16 item = 1; item <= 8; ++item)
            EXPECT_TRUE(IsWindowVisible(PaletteForDispItem(item))) << item;
        EXPECT_EQ(IsWindowVisible(gPreviewWindow), (others & 1) != 0);
        EXPECT_FALSE(IsWindowVisible(DotModePalette));
    }
}

// Icon lists, icon families, then paint windows, each group after a
// separator and front to back; the front document is marked. The
// Magnification submenu marks the front paint window's zoom.
TEST_F(MenuBarTest, WindowMenu) {
    WindowRef p1 = MakeTitledPaint("paint one", 32, 24, 0);
    WindowRef l1 = MakePlainWindow(kIconListWindowKind, "list one");
    WindowRef p2 = MakeTitledPaint("paint two", 32, 24, 2);
    WindowRef f1 = MakePlainWindow(kFamilyWindowKind, "family one");
    WindowRef l2 = MakePlainWindow(kIconListWindowKind, "list two");
    UpdateMenus();
    const std::vector<std::string> expected = {"-", "list two", "list one", "-", "family one",
                                               "-", "paint two", "paint one"};
    ASSERT_EQ(CountMenuItems(GetMenuHandle(kWindowMenuID)), 3 + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ItemText(kWindowMenuID, MenuItemIndex(4 + i)), expected[i]);
    EXPECT_EQ(Marked(kWindowMenuID), std::vector<int>{5});

    // 4, 7 and 9 are separators; the menu follows each change of order.
    const struct {
        MenuItemIndex item;
        WindowRef front;
        std::vector<int> zoom;
    } choices[] = {{11, p1, {1}}, {4, p1, {1}}, {6, l1, {1}}, {7, l1, {1}},
                   {8, f1, {1}},  {9, f1, {1}}, {6, l2, {1}}, {11, p2, {3}}};
    for (const auto& c : choices) {
        HandleMenuChoice(MenuChoice(kWindowMenuID, c.item));
        EXPECT_EQ(FrontDocumentWindow(), c.front) << c.item;
        Str255 title;
        GetWTitle(c.front, title);
        const std::vector<int> marked = Marked(kWindowMenuID);
        ASSERT_EQ(marked.size(), 1u);
        EXPECT_EQ(ItemText(kWindowMenuID, MenuItemIndex(marked[0])), PStringToStd(title));
        EXPECT_EQ(Marked(kMagMenuID), c.zoom) << c.item;
    }
    for (SInt16 item : {5, 1, 4}) {
        HandleMenuChoice(MenuChoice(kMagMenuID, MenuItemIndex(item)));
        EXPECT_EQ(GetPaintWinRec(p2)->ratio, item - 1);
        EXPECT_EQ(Marked(kMagMenuID), std::vector<int>{item});
    }
    EXPECT_EQ(GetPaintWinRec(p1)->ratio, 0);
    DisposeWindow(f1);
    DisposeWindow(l1);
    DisposeWindow(l2);
    UpdateMenus();
    ASSERT_EQ(CountMenuItems(GetMenuHandle(kWindowMenuID)), 6);
    EXPECT_EQ(ItemText(kWindowMenuID, 4), "-");
    EXPECT_EQ(ItemText(kWindowMenuID, 5), "paint two");
}

// Items 6 and 7 toggle the block grid (bits 4 to 7), the others choose the
// pixel-grid style (bits 0 to 3); the high byte is kept.
TEST_F(MenuBarTest, GridChoicesSetTheirBits) {
    const struct { UInt16 before; SInt16 item; UInt16 after; std::vector<int> marks; } cases[] = {
        {0x0021, 6, 0x0011, {1, 6}}, {0x0021, 7, 0x0001, {1}},    {0x0001, 7, 0x0021, {1, 7}},
        {0x0011, 6, 0x0001, {1}},    {0x0021, 3, 0x0023, {3, 7}}, {0x0025, 1, 0x0021, {1, 7}},
        {0x0023, 3, 0x0023, {3, 7}}, {0x1F21, 6, 0x1F11, {1, 6}}, {0xAB15, 2, 0xAB12, {2, 6}},
    };
    WindowRef paint = MakeTitledPaint("grid");
    const Rect all = Port(paint);
    const UInt16 saved = gToolPrefs.gridSetting;
    for (const auto& c : cases) {
        gToolPrefs.gridSetting = c.before;
        UpdateToolMenu();
        ValidWindowRect(paint, &all);
        HandleMenuChoice(MenuChoice(kGridMenuID, MenuItemIndex(c.item)));
        EXPECT_EQ(gToolPrefs.gridSetting, c.after) << std::hex << c.before << " item " << c.item;
        EXPECT_EQ(Marked(kGridMenuID), c.marks) << std::hex << c.before << " item " << c.item;
        EXPECT_EQ(IsWindowUpdatePending(paint), c.before != c.after) << c.item;
    }
    gToolPrefs.gridSetting = saved;
    UpdateToolMenu();
}

// Items 1, 2 and 5 read the blend palette's buffer at (2, 43), (2, 77) and
// (20, 60); item 4 takes the previous colour, which becomes the old one.
TEST_F(MenuBarTest, PenColourItems) {
    Rect bounds{0, 0, 90, 40};
    GWorldPtr palette = nullptr;
    ASSERT_EQ(NewGWorld(&palette, 8, &bounds, nullptr, nullptr, 0), noErr);
    UniqueGWorld owner(palette);
    RGBColor c1, c2, c5, other;
    const ColorSpec* std8 = CTabEntries(StandardCTable(8));
    c1 = std8[5].rgb, c2 = std8[100].rgb, c5 = std8[200].rgb, other = std8[17].rgb;
    // The palette is redrawn around each new colour: give it known pixels again.
    auto paintPalette = [&] {
        CGrafPtr port;
        GDHandle device;
        GetGWorld(&port, &device);
        SetGWorld(palette, nullptr);
        RGBForeColor(&other);
        PaintRect(&bounds);
        SetCPixel(2, 43, &c1), SetCPixel(2, 77, &c2), SetCPixel(20, 60, &c5);
        SetGWorld(port, device);
    };

    GWorldPtr savedPalette = std::exchange(gBlendPalettePtr, palette);
    gCurrentColor = ColorRec{rgbWhiteColor, 1};
    gPrevColor = ColorRec{rgbBlackColor, 0};
    const struct {
        SInt16 item;
        RGBColor current, previous;
        bool changed;  // the palettes showing the pen colour are redrawn
    } steps[] = {{1, c1, rgbWhiteColor, true}, {2, c2, c1, true}, {5, c5, c2, true}, {4, c2, c5, true},
                 {4, c5, c2, true},            {5, c5, c2, false}, {3, c5, c2, false}};
    const Rect patterns = Port(PatternPalette);
    for (const auto& s : steps) {
        paintPalette();
        ValidWindowRect(PatternPalette, &patterns);
        HandleMenuChoice(MenuChoice(kPenColorMenuID, MenuItemIndex(s.item)));
        EXPECT_EQ(gCurrentColor, (ColorRec{s.current, 0})) << s.item;
        EXPECT_EQ(gPrevColor.rgb, s.previous) << s.item;
        EXPECT_EQ(IsWindowUpdatePending(PatternPalette), s.changed) << s.item;
    }
    // Picking from the screen, cancelled by a key (the move is taken while
    // the button is awaited).
    ScriptMouseMove(Point{700, 900});
    ScriptKey(kVK_Escape, kEscapeCharCode);
    HandleMenuChoice(MenuChoice(kPenColorMenuID, 7));
    ClearScript();
    EXPECT_EQ(gCurrentColor, (ColorRec{c5, 0}));
    gBlendPalettePtr = nullptr;  // no buffer: nothing to read
    HandleMenuChoice(MenuChoice(kPenColorMenuID, 1));
    EXPECT_EQ(gCurrentColor.rgb, c5);
    gBlendPalettePtr = savedPalette;
    InitColorGlobals();
}

// Menus whose mark is a setting: a choice moves the mark and sets it; the
// ruler item toggles.
TEST_F(MenuBarTest, SettingMarks) {
    const UInt8 ruler = gToolPrefs.showRuler;
    const SInt16 check = gPaletteCheck, background = gListBackground;
    for (SInt16 item : {3, 3, 1, 4}) {
        HandleMenuChoice(MenuChoice(kToolMenuID, 6));
        EXPECT_EQ(Marked(kToolMenuID), gToolPrefs.showRuler ? std::vector<int>{6} : std::vector<int>{});
        HandleMenuChoice(MenuChoice(kPaletteCheckMenuID, MenuItemIndex(item)));
        EXPECT_EQ(gPaletteCheck, item - 1);
        EXPECT_EQ(Marked(kPaletteCheckMenuID), std::vector<int>{item});
        HandleMenuChoice(MenuChoice(kListBackgroundMenuID, MenuItemIndex(item)));
        EXPECT_EQ(gListBackground, item);
        EXPECT_EQ(Marked(kListBackgroundMenuID), std::vector<int>{item});
    }
    EXPECT_EQ(gToolPrefs.showRuler, ruler);
    HandleMenuChoice(MenuChoice(kPaletteCheckMenuID, MenuItemIndex(check + 1)));
    HandleMenuChoice(MenuChoice(kListBackgroundMenuID, MenuItemIndex(background)));

    // Pencil transparency: item n blends the new colour by (5 − n) quarters;
    // item 1 paints plainly and keeps the last weight.
    UInt16 weight = 0;
    for (SInt16 item : {3, 1, 4, 2, 1}) {
        HandleMenuChoice(MenuChoice(kBlendMenuID, MenuItemIndex(item)));
        EXPECT_EQ(gBSelectedItem, item);
        EXPECT_EQ(Marked(kBlendMenuID), std::vector<int>{item});
        EXPECT_EQ(gBlendMode, item == 1 ? srcCopy : blend);
        if (item > 1) weight = UInt16((5 - item) * 0x4000);
        EXPECT_EQ(gBlendRatio, (RGBColor{weight, weight, weight})) << item;
    }
    HandleBlendChoice(5);  // no such item
    EXPECT_EQ(gBSelectedItem, 1);
}

}  // namespace

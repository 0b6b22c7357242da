#include "platform/core/PString.h"
#include "platform/raster/Pen.h"
#include "platform/ui/Menus.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

using namespace uitest;

MenuRef MakeMenu(MenuID id, const std::vector<const char*>& items) {
    Str255 text;
    CopyCStringToPascal("M" + std::to_string(id), text);
    MenuRef m = NewMenu(id, text);
    for (const char* t : items) {
        CopyCStringToPascal(t, text);
        AppendMenuItemText(m, text);
    }
    return m;
}

EventRecord Key(UInt8 ch, UInt8 keyCode, EventModifiers mods) {
    EventRecord e;
    e.what = keyDown;
    e.message = UInt32(ch) | UInt32(keyCode) << 8;
    e.modifiers = mods;
    return e;
}

QAction* BarAction(MenuRef menu, MenuItemIndex item) {
    for (QAction* top : ui_internal::MainWindow()->menuBar()->actions())
        if (QMenu* m = top->menu<QMenu*>())
            if (m->title() == QString::fromStdString("M" + std::to_string(GetMenuID(menu)))) {
                auto acts = m->actions();
                if (item <= acts.size()) return acts[item - 1];
            }
    return nullptr;
}

class MenusTest : public UiTest {
protected:
    MenusTest() : UiTest(400, 300) {}
    void TearDown() override {
        for (MenuRef m : made_) {
            DeleteMenu(GetMenuID(m));
            DisposeMenu(m);
        }
        UiTest::TearDown();
        ui_internal::TakePendingMenuChoice();
    }
    MenuRef Keep(MenuRef m) {
        made_.push_back(m);
        return m;
    }
    std::vector<MenuRef> made_;
};

}  // namespace

TEST(MenuResource, ParsesItemsMarksKeysAndEnableBits) {
    std::vector<MenuItemDef> items = {
        {"New", 'N', 0, 0},     {"-", 0, 0, 0},        {"(Open", 0, 0, 0}, {"Grid", 0x1B, 134, 0},
        {"Bold", 0, 0x12, 1},   {"(-", 0, 0, 0},
    };
    for (int i = 7; i <= 33; ++i) items.push_back({"x" + std::to_string(i), 0, 0, 0});
    // Menu enabled, items 1, 3 and 4 enabled; 2, 5, 6 and 7..31 not; 32 and 33 have no bit.
    const UInt32 flags = 1u | 1u << 1 | 1u << 3 | 1u << 4;
    MenuData m;
    ASSERT_EQ(ParseMenuResource(MenuBytes(129, "File", items, flags), &m), noErr);
    EXPECT_TRUE(m.id == 129 && m.title == "File" && m.enabled);
    ASSERT_EQ(m.items.size(), 33u);
    EXPECT_TRUE(m.items[0].text == "New" && m.items[0].cmd == 'N');
    EXPECT_EQ(m.items[2].text, "(Open");  // taken literally
    // A command key of 0x1B names a submenu in the mark field.
    EXPECT_TRUE(m.items[3].cmd == 0x1B && m.items[3].submenu == 134 && m.items[3].mark == 0);
    EXPECT_TRUE(m.items[4].mark == 0x12 && m.items[4].style == 1);
    EXPECT_TRUE(IsSeparatorText(m.items[1].text) && IsSeparatorText(m.items[5].text));
    EXPECT_FALSE(IsSeparatorText(m.items[2].text));
    for (size_t i = 0; i < 33; ++i) EXPECT_EQ(m.items[i].enabled, i == 0 || i == 2 || i == 3 || i >= 31) << i + 1;

    MenuData off;
    ASSERT_EQ(ParseMenuResource(MenuBytes(5, "T", {{"a"}}, 0xFFFFFFFE), &off), noErr);
    EXPECT_FALSE(off.enabled);
    EXPECT_TRUE(off.items[0].enabled);
}

TEST(MenuResource, EveryTruncationIsRejected) {
    const auto bytes = MenuBytes(129, "Edit", {{"Undo", 'Z'}, {"-"}, {"Cut", 'X'}});
    MenuData m;
    ASSERT_EQ(ParseMenuResource(bytes, &m), noErr);
    for (size_t n = 0; n < bytes.size(); ++n) {
        MenuData out;
        out.id = 77;
        EXPECT_EQ(ParseMenuResource(std::span(bytes.data(), n), &out), badExtResource) << n << " bytes";
        EXPECT_EQ(out.id, 77);  // untouched on failure
    }
    // An item whose text runs past the end.
    auto longItem = bytes;
    longItem[longItem.size() - 1 - 5 - 3] = 200;
    EXPECT_EQ(ParseMenuResource(longItem, &m), badExtResource);
}

TEST(MenuResource, MenuBarCountsAreChecked) {
    struct Case {
        std::vector<UInt8> bytes;
        OSErr err;
        std::vector<SInt16> ids;
    } cases[] = {
        {{0, 2, 0, 128, 0, 129}, noErr, {128, 129}}, {{0, 0}, noErr, {}},
        {{0, 3, 0, 128, 0, 129}, badExtResource, {}}, {{0xFF, 0xFF}, badExtResource, {}},
        {{0x7F, 0xFF}, badExtResource, {}},           {{0}, badExtResource, {}},
    };
    for (const Case& c : cases) {
        std::vector<SInt16> ids;
        EXPECT_EQ(ParseMenuBarResource(c.bytes, &ids), c.err);
        EXPECT_TRUE(c.err != noErr || ids == c.ids);
    }
}

TEST_F(MenusTest, CommandKeysMatchExactModifiers) {
    MenuRef file = Keep(MakeMenu(129, {"New", "Open", "Save", "-", "Save As", "Close"}));
    MenuRef icon = Keep(MakeMenu(139, {"Info"}));
    MenuRef edit = Keep(MakeMenu(130, {"Undo", "Grid"}));
    MenuRef grid = Keep(MakeMenu(134, {"One", "Two"}));
    MenuRef off = Keep(MakeMenu(131, {"Fill"}));
    SetItemCmd(file, 1, 'N');
    SetItemCmd(file, 3, 'S');
    SetItemCmd(file, 5, 'S');
    ASSERT_EQ(SetMenuItemModifiers(file, 5, kMenuShiftModifier), noErr);
    SetItemCmd(file, 6, 'W');
    DisableMenuItem(file, 6);
    SetItemCmd(icon, 1, ';');
    SetItemCmd(edit, 1, 'Z');
    ASSERT_EQ(SetMenuItemHierarchicalID(edit, 2, 134), noErr);
    SetItemCmd(grid, 2, 'G');
    SetItemCmd(off, 1, 'F');
    DisableMenuItem(off, 0);
    for (MenuRef m : {file, edit, icon, off}) InsertMenu(m, 0);
    InsertMenu(grid, hierMenu);

    struct Case {
        UInt8 ch, keyCode;
        EventModifiers mods;
        UInt32 choice;
    } cases[] = {
        {'s', kVK_ANSI_S, cmdKey, 129u << 16 | 3},  {'S', kVK_ANSI_S, cmdKey | shiftKey, 129u << 16 | 5},
        {0x13, kVK_ANSI_S, cmdKey, 129u << 16 | 3},  // a control character: the key says S
        {0x13, kVK_ANSI_S, cmdKey | shiftKey, 129u << 16 | 5},
        {'n', kVK_ANSI_N, cmdKey, 129u << 16 | 1},  {'n', kVK_ANSI_N, cmdKey | optionKey, 0},
        {'z', kVK_ANSI_Z, cmdKey, 130u << 16 | 1},  {'g', kVK_ANSI_G, cmdKey, 134u << 16 | 2},  // in a submenu
        {'w', kVK_ANSI_W, cmdKey, 0},  // disabled item
        {'f', kVK_ANSI_F, cmdKey, 0},  // disabled menu
        {'s', kVK_ANSI_S, 0, 0},       // no Command
        {'s', kVK_ANSI_S, cmdKey | controlKey, 0},  {':', 0x29, cmdKey | shiftKey, 0},  // the item wants no Shift
        {';', 0x29, cmdKey, 139u << 16 | 1},        {'x', kVK_ANSI_X, cmdKey, 0},
    };
    for (const Case& c : cases) {
        EventRecord e = Key(c.ch, c.keyCode, c.mods);
        EXPECT_EQ(MenuEvent(&e), c.choice) << "char " << int(c.ch) << " mods " << c.mods;
    }
    EXPECT_EQ(MenuKey('S'), SInt32(129 << 16 | 3));
    EventRecord up = Key('s', kVK_ANSI_S, cmdKey);
    up.what = keyUp;
    EXPECT_EQ(MenuEvent(&up), 0u);
    // Disabling the submenu's holder item hides its keys.
    DisableMenuItem(edit, 2);
    EventRecord g = Key('g', kVK_ANSI_G, cmdKey);
    EXPECT_EQ(MenuEvent(&g), 0u);
}

TEST_F(MenusTest, TriggeredItemArrivesAsMenuBarMouseDown) {
    MenuRef m = Keep(MakeMenu(140, {"Tools", "Colors", "Info"}));
    SetItemCmd(m, 2, 'K');
    InsertMenu(m, 0);
    QAction* colors = BarAction(m, 2);
    ASSERT_NE(colors, nullptr);
    EXPECT_TRUE(colors->shortcut().isEmpty());  // keys go to the program, not to Qt
    colors->trigger();
    EventRecord e;
    ASSERT_TRUE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, mouseDown);
    EXPECT_EQ(MenuSelect(e.where), SInt32(140 << 16 | 2));
    EXPECT_EQ(MenuSelect(e.where), 0);  // taken once
}


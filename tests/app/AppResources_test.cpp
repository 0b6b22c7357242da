// The embedded application resources: they open, and the resources the
// program refers to by number exist with the layouts the code reads.
#include "app/AppResources.h"
#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/icons/IconFamily.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/resources/Resources.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<UInt8>;

class AppResources : public ::testing::Test {
protected:
    void SetUp() override {
        InitResources();
        ASSERT_EQ(OpenApplicationResources(), noErr);
    }
    void TearDown() override { InitResources(); }

    static Bytes Resource(const char (&type)[5], ResID id) {
        Handle h = Get1Resource(FourCC(type), id);
        EXPECT_NE(h, nullptr) << type << " " << id;
        std::span<const UInt8> b = HandleBytes(h);
        return Bytes(b.begin(), b.end());
    }
    static std::string IndString(SInt16 list, SInt16 item) {
        Str255 s{};
        GetIndString(s, list, item);
        return PStringToStd(s);
    }
};

// Menus and dialog parts are read with the window layer's own decoders.
MenuData MenuOf(ResID id) {
    MenuData m;
    EXPECT_EQ(ParseMenuResource(HandleBytes(Get1Resource(FourCC("MENU"), id)), &m), noErr) << "MENU " << id;
    return m;
}

TEST_F(AppResources, OpenAsTheApplicationFileAtTheBottomOfTheChain) {
    EXPECT_NE(GetApplicationResFile(), kResFileNotOpen);
    EXPECT_EQ(CurResFile(), GetApplicationResFile());
    EXPECT_TRUE(LooksLikeResourceFork(ApplicationResourceBytes()));
}

TEST_F(AppResources, VersionMatchesTheProjectVersion) {
    const std::string v = KORVEL_VERSION;
    int major = 0, minor = 0, bugfix = 0;
    ASSERT_EQ(std::sscanf(v.c_str(), "%d.%d.%d", &major, &minor, &bugfix), 3);
    const Bytes b = Resource("vers", 1);
    ASSERT_GE(b.size(), 7u + v.size());
    EXPECT_EQ(b[0], UInt8((major / 10) << 4 | major % 10));
    EXPECT_EQ(b[1], UInt8(minor << 4 | bugfix));
    EXPECT_EQ(b[2], 0x80);  // release
    EXPECT_EQ(b[6], v.size());
    EXPECT_EQ(std::string(b.begin() + 7, b.begin() + 7 + long(v.size())), v);
}

TEST_F(AppResources, VersionOptionPrintsTheShortVersion) {
    FILE* p = popen((std::string("'") + KORVEL_BINARY + "' --version").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[128] = {};
    const size_t n = fread(buf, 1, sizeof buf - 1, p);
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(std::string(buf, n), std::string("Korvel ") + KORVEL_VERSION + "\n");
}

TEST_F(AppResources, ZoomLabelsAreByteExact) {
    // Count 5, then "×1" ... "×16" as UTF-8 (× is C3 97).
    const Bytes want = {0x00, 0x05, 3, 0xC3, 0x97, '1', 3, 0xC3, 0x97, '2', 3, 0xC3, 0x97, '4',
                        3,    0xC3, 0x97, '8', 4, 0xC3, 0x97, '1', '6'};
    EXPECT_EQ(Resource("STR#", 146), want);
}

TEST_F(AppResources, ToolPaletteTemplateIsByteExact) {
    const Bytes want = {0x00, 66, 0x00, 4, 0x00, 194, 0x00, 39,  // bounds
                        0x07, 0xC1,                              // floatProc 1985
                        0x00, 0x00, 0x01, 0x00,                  // invisible, close box
                        0x00, 0x00, 0x00, 0x00,                  // refCon
                        5,    'T',  'o',  'o', 'l', 's'};
    EXPECT_EQ(Resource("WIND", 132), want);
}

TEST_F(AppResources, FileMenuIsByteExactAtTheStart) {
    const Bytes b = Resource("MENU", 129);
    const Bytes head = {0x00, 0x81, 0, 0, 0, 0, 0, 0, 0, 0,  // id, width, height, procID, filler
                        0x00, 0x00, 0x2A, 0xFF,              // items 8, 10, 12 (separators) disabled
                        4, 'F', 'i', 'l', 'e', 3, 'N', 'e', 'w', 0, 'N', 0, 0};
    ASSERT_GE(b.size(), head.size());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + long(head.size())), head);
}

// Item numbers are the contract with the menu handlers.
TEST_F(AppResources, MenuItemsSitWhereTheHandlersExpectThem) {
    struct Case {
        ResID menu;
        int item;
        const char* text;
        char key;
    };
    const Case cases[] = {
        {128, 1, "About Korvel…", 0},   {129, 1, "New", 'N'},           {129, 2, "Open…", 'O'},
        {129, 3, "Close", 'W'},         {129, 4, "Save", 'S'},          {129, 5, "Save As…", 'S'},
        {129, 9, "New from Clipboard", 'O'}, {129, 11, "Preferences…", ';'}, {129, 13, "Quit", 'Q'},
        {130, 1, "Undo", 'Z'},          {130, 3, "Cut", 'X'},           {130, 4, "Copy", 'C'},
        {130, 5, "Paste", 'V'},         {130, 7, "Select All", 'A'},    {130, 9, "Duplicate", 'D'},
        {130, 14, "New Background Layer", 'B'}, {130, 18, "-", 0},      {130, 20, "Hide Background", 'H'},
        {131, 3, "Fill", 'F'},          {131, 13, "Flip Horizontal", 0}, {131, 14, "Flip Vertical", 0},
        {131, 20, "Exchange Selection", 'E'}, {132, 5, "Grid and Ruler Settings…", 0},
        {139, 1, "New Icon File", 'N'}, {139, 2, "New Icon", 'N'},      {139, 7, "Import…", 'I'},
        {139, 8, "Export…", 'E'},       {139, 12, "Open with Resource Editor", 0},
        {140, 10, "Show All Palettes", 0}, {152, 4, "Hide Marquee", 'H'}, {138, 6, "-", 0},
    };
    for (const Case& c : cases) {
        const MenuData m = MenuOf(c.menu);
        ASSERT_GE(int(m.items.size()), c.item) << c.menu;
        const MenuItemData& item = m.items[size_t(c.item - 1)];
        EXPECT_EQ(item.text, c.text) << c.menu << "/" << c.item;
        EXPECT_EQ(item.cmd, UInt8(c.key)) << c.menu << "/" << c.item;
        EXPECT_EQ(item.enabled, !IsSeparatorText(item.text)) << c.menu << "/" << c.item;
    }
}

TEST_F(AppResources, SubmenusHangWhereTheBarExpectsThem) {
    struct Case {
        ResID menu;
        int item;
        UInt8 submenu;
    };
    const Case cases[] = {{130, 19, 137}, {131, 1, 138}, {131, 11, 152}, {132, 1, 147}, {132, 2, 148},
                          {132, 3, 133},  {132, 4, 134}, {132, 8, 135},  {132, 10, 151}, {132, 11, 169},
                          {149, 1, 144},  {149, 2, 140}, {149, 3, 154},  {160, 6, 136}};
    for (const Case& c : cases) {
        const MenuData m = MenuOf(c.menu);
        ASSERT_GE(int(m.items.size()), c.item);
        EXPECT_EQ(m.items[size_t(c.item - 1)].cmd, hMenuCmd) << c.menu << "/" << c.item;
        EXPECT_EQ(m.items[size_t(c.item - 1)].submenu, c.submenu) << c.menu << "/" << c.item;
    }
    // Window lists documents from item 4 on: the template ends at 3.
    EXPECT_EQ(MenuOf(149).items.size(), 3u);
}

TEST_F(AppResources, MenuSizesFollowTheirHandlers) {
    struct Case {
        ResID menu;
        size_t count;
    };
    const Case cases[] = {{133, 4}, {134, 7}, {136, 5}, {137, 5}, {138, 11}, {140, 12}, {141, 5}, {142, 4},
                          {144, 5}, {147, 16}, {148, 16}, {151, 4}, {154, 4}, {155, 4}, {160, 7}, {169, 4},
                          {170, 4}, {172, 10}};
    for (const Case& c : cases) EXPECT_EQ(MenuOf(c.menu).items.size(), c.count) << "MENU " << c.menu;
}

TEST_F(AppResources, EveryInterfaceResourceDecodes) {
    auto each = [](const char (&type)[5], auto check) {
        const SInt16 n = Count1Resources(FourCC(type));
        EXPECT_GT(n, 0) << type;
        for (SInt16 i = 1; i <= n; ++i) {
            Handle h = Get1IndResource(FourCC(type), i);
            ResID id = 0;
            ResType t = 0;
            Str255 name;
            GetResInfo(h, &id, &t, name);
            check(HandleBytes(h), id);
        }
    };
    each("MENU", [](std::span<const UInt8> b, ResID id) {
        MenuData m;
        EXPECT_EQ(ParseMenuResource(b, &m), noErr) << id;
        EXPECT_EQ(m.id, id);
        for (const MenuItemData& item : m.items) {
            if (item.cmd == hMenuCmd) {
                EXPECT_NE(Get1Resource(FourCC("MENU"), item.submenu), nullptr) << id;
            }
        }
    });
    each("WIND", [](std::span<const UInt8> b, ResID id) {
        WindowTemplate t;
        EXPECT_EQ(ParseWindowTemplate(b.data(), Size(b.size()), &t), noErr) << id;
        EXPECT_FALSE(t.visible) << id;
        EXPECT_TRUE(t.goAwayFlag) << id;
    });
    each("DLOG", [](std::span<const UInt8> b, ResID id) {
        DialogTemplateData d;
        EXPECT_EQ(ParseDialogTemplate(b, &d), noErr) << id;
        EXPECT_NE(Get1Resource(FourCC("DITL"), d.itemsID), nullptr) << id;
    });
    each("ALRT", [](std::span<const UInt8> b, ResID id) {
        AlertTemplateData a;
        EXPECT_EQ(ParseAlertTemplate(b, &a), noErr) << id;
        EXPECT_NE(Get1Resource(FourCC("DITL"), a.itemsID), nullptr) << id;
    });
    each("DITL", [](std::span<const UInt8> b, ResID id) {
        std::vector<DialogItemData> items;
        EXPECT_EQ(ParseDialogItemList(b, &items), noErr) << id;
        for (const DialogItemData& item : items) {
            if ((item.type & 0x7F) == ctrlItem + resCtrl) {
                EXPECT_NE(Get1Resource(FourCC("CNTL"), item.ResourceID()), nullptr) << id;
            }
        }
    });
    each("CNTL", [](std::span<const UInt8> b, ResID id) {
        ControlTemplateData c;
        EXPECT_EQ(ParseControlTemplate(b, &c), noErr) << id;
        if (c.procID == popupMenuProc) {
            EXPECT_NE(Get1Resource(FourCC("MENU"), c.min), nullptr) << id;
        }
    });
    std::vector<SInt16> bar;
    EXPECT_EQ(ParseMenuBarResource(HandleBytes(Get1Resource(FourCC("MBAR"), 128)), &bar), noErr);
    EXPECT_EQ(bar, (std::vector<SInt16>{128, 129, 130, 131, 132, 139, 149}));
}

TEST_F(AppResources, StringListsHoldEveryItemTheProgramAsksFor) {
    struct Case {
        SInt16 list;
        SInt16 items;
    };
    // Lists and the highest item the code reads from them.
    const Case cases[] = {{128, 32}, {129, 32}, {130, 15}, {131, 4},  {132, 1},  {133, 6},  {134, 1},
                          {135, 1},  {138, 1},  {139, 4},  {140, 3},  {141, 5},  {143, 2},  {144, 1},
                          {145, 2},  {146, 5},  {147, 1},  {148, 5},  {149, 2},  {150, 3},  {154, 2},
                          {155, 4},  {156, 1},  {157, 2},  {159, 2},  {160, 1},  {162, 2},  {163, 1},
                          {161, 3},  {300, 6},  {4001, 1}, {4002, 3}, {4003, 2}, {4004, 3}, {4005, 8}, {4006, 2},
                          {4007, 2}, {4008, 4}, {4009, 3}, {4010, 13}, {4011, 2}, {4012, 7}, {5001, 1}};
    for (const Case& c : cases) {
        const Bytes b = Resource("STR#", c.list);
        ASSERT_GE(b.size(), 2u) << c.list;
        EXPECT_EQ(b[0] << 8 | b[1], c.items) << "STR# " << c.list;
        if (c.list == 131 || c.list == 140 || c.list == 161) continue;  // suffixes and a separator may be blank
        for (SInt16 i = 1; i <= c.items; ++i) EXPECT_FALSE(IndString(c.list, i).empty()) << c.list << "/" << i;
    }
    EXPECT_EQ(IndString(131, 1), ".pict");
    EXPECT_EQ(IndString(132, 1), "untitled");
    EXPECT_EQ(IndString(134, 1), "Korvel Preferences");
    EXPECT_EQ(IndString(5001, 1), "Check for Updates…");
}

TEST_F(AppResources, PaletteTemplatesAreInvisibleFloatingWindows) {
    for (ResID id : {129, 130, 131, 132, 133, 134, 135, 138, 139, 140}) {
        const Bytes b = Resource("WIND", id);
        ASSERT_GE(b.size(), 19u) << id;
        EXPECT_EQ(b[8] << 8 | b[9], 1985) << id;
        EXPECT_EQ(b[10], 0) << id;  // invisible
        const int top = SInt16(b[0] << 8 | b[1]), left = SInt16(b[2] << 8 | b[3]);
        EXPECT_GE(top, 12) << id;  // the 11-pixel title bar stays on the desktop
        EXPECT_GE(left, 1) << id;
    }
    const Bytes paint = Resource("WIND", 128);
    EXPECT_EQ(paint[8] << 8 | paint[9], 8);
    EXPECT_EQ(paint[0] << 8 | paint[1], 113);
    EXPECT_EQ(paint[2] << 8 | paint[3], 42);
    // The small pattern palette is 99 × 67.
    const Bytes pat = Resource("WIND", 138);
    EXPECT_EQ((pat[6] << 8 | pat[7]) - (pat[2] << 8 | pat[3]), 99);
    EXPECT_EQ((pat[4] << 8 | pat[5]) - (pat[0] << 8 | pat[1]), 67);
}

struct ItemRec {
    Rect rect;
    UInt8 type = 0;
    Bytes data;
};

std::vector<ItemRec> ItemsOf(ResID id) {
    std::span<const UInt8> b = HandleBytes(Get1Resource(FourCC("DITL"), id));
    ByteReader r(b);
    std::vector<ItemRec> items;
    const int count = r.s16be() + 1;
    for (int i = 0; i < count && r.ok(); ++i) {
        ItemRec item;
        r.skip(4);
        item.rect = r.rect();
        item.type = r.u8();
        const UInt8 n = r.u8();
        for (UInt8 k = 0; k < n; ++k) item.data.push_back(r.u8());
        if (n & 1) r.u8();
        items.push_back(item);
    }
    EXPECT_TRUE(r.ok() && r.atEnd()) << "DITL " << id;
    return items;
}

SInt16 ControlID(const ItemRec& item) { return SInt16(item.data[0] << 8 | item.data[1]); }

// The kinds of the numbered items of each list: b button, c check box,
// e edit text, s static text, p pop-up, g group box, t tabs, u user item, l slider,
// r radio button, v scroll bar, i picture.
TEST_F(AppResources, DialogItemsAreNumberedAsTheDialogsReadThem) {
    struct Case {
        ResID id;
        const char* kinds;
    };
    const Case cases[] = {
        {135, "bbeeppcpg"}, {149, "bbppppuu"},   {300, "bbt"},      {301, "pbbbbsssscc"},
        {302, "eeppcpbc"},  {303, "ccclcccc"},       {304, "cppccc"},   {305, "cccc"},
        {306, "cccccccc"},  {129, "bbbs"},       {137, "bbs"},      {201, "bs"},
        {202, "bss"},       {130, "bbrrrcrrrr"}, {131, "bbuee"},    {132, "bbepp"},
        {133, "bbpeeccccccu"}, {138, "bbe"},     {139, "bbrrrr"},   {142, "bbe"},
        {143, "bbuee" "cccccccccccc" "bbbbbbbb" "p"}, {144, "bbeeccppcp"}, {145, "bbubbb"},
        {146, "bbeu"},      {1001, "bbssuv"},    {128, "bis"},      {500, "pc"},
        {501, "p"},
    };
    for (const Case& c : cases) {
        const std::vector<ItemRec> items = ItemsOf(c.id);
        const std::string kinds = c.kinds;
        ASSERT_GE(items.size(), kinds.size()) << "DITL " << c.id;
        for (size_t i = 0; i < kinds.size(); ++i) {
            const UInt8 type = items[i].type & 0x7F;
            char got = '?';
            if (type == 4) got = 'b';
            if (type == 5) got = 'c';
            if (type == 6) got = 'r';
            if (type == 8) got = 's';
            if (type == 16) got = 'e';
            if (type == 0) got = 'u';
            if (type == 64) got = 'i';
            if (type == 7) {
                ByteReader r(HandleBytes(Get1Resource(FourCC("CNTL"), ControlID(items[i]))));
                r.skip(16);
                const SInt16 procID = r.s16be();
                got = procID == 1008 ? 'p' : procID == 160 ? 'g' : procID == 129 ? 't' : (procID & ~15) == 48 ? 'l'
                      : (procID & ~7) == 16 ? 'v' : '?';
            }
            EXPECT_EQ(got, kinds[i]) << "DITL " << c.id << " item " << i + 1;
        }
        // Everything after the numbered items is a label.
        for (size_t i = kinds.size(); i < items.size(); ++i)
            if (c.id != 201 && c.id != 202 && c.id != 129 && c.id != 137 && c.id != 1001 && c.id != 128) {
                EXPECT_EQ(items[i].type & 0x7F, 8) << "DITL " << c.id << " item " << i + 1;
            }
    }
}

TEST_F(AppResources, PopUpsNameMenusThatExist) {
    for (ResID ditl : {132, 133, 135, 143, 144, 149, 301, 302, 303, 304}) {
        for (const ItemRec& item : ItemsOf(ditl)) {
            if ((item.type & 0x7F) != 7) continue;
            const Bytes c = Resource("CNTL", ControlID(item));
            ASSERT_GE(c.size(), 23u);
            const SInt16 procID = SInt16(c[16] << 8 | c[17]);
            const SInt16 min = SInt16(c[14] << 8 | c[15]);
            const SInt16 value = SInt16(c[8] << 8 | c[9]);
            if (procID != 1008) continue;
            const MenuData m = MenuOf(min);
            if (m.items.empty()) continue;  // filled by the program (fonts)
            EXPECT_GE(value, 1) << "CNTL " << ControlID(item);
            EXPECT_LE(size_t(value), m.items.size()) << "CNTL " << ControlID(item);
        }
    }
    struct Case {
        ResID menu;
        size_t count;
    };
    // Values the program stores as item numbers.
    const Case cases[] = {{180, 2}, {182, 3}, {183, 3}, {184, 8}, {185, 10}, {186, 5}, {187, 3}, {188, 3}};
    for (const Case& c : cases) EXPECT_EQ(MenuOf(c.menu).items.size(), c.count) << "MENU " << c.menu;
    // The tabs take their titles from 'STR#' 300, six of them.
    const Bytes tabs = Resource("CNTL", 3000);
    EXPECT_EQ(tabs[14] << 8 | tabs[15], 300);
    EXPECT_EQ(tabs[12] << 8 | tabs[13], 6);
}

TEST_F(AppResources, DialogsAndAlertsUseTheirOwnItemLists) {
    for (ResID id : {129, 130, 131, 132, 133, 135, 137, 138, 139, 142, 143, 144, 145, 146, 149, 300, 1001}) {
        const Bytes d = Resource("DLOG", id);
        ASSERT_GE(d.size(), 20u);
        EXPECT_EQ(d[18] << 8 | d[19], id) << "DLOG " << id;
        EXPECT_EQ(d[10], 0) << "DLOG " << id << " starts invisible";
    }
    for (ResID id : {201, 202}) {
        const Bytes a = Resource("ALRT", id);
        ASSERT_GE(a.size(), 12u);
        EXPECT_EQ(a[8] << 8 | a[9], id);
    }
}

// A picture played back into a 32-bit world of its own size, pixel by pixel.
struct Played {
    int width = 0, height = 0;
    std::vector<UInt32> px;  // 0xRRGGBB
    UInt32 at(int h, int v) const { return px[size_t(v) * size_t(width) + size_t(h)]; }
};

Played Play(ResID id) {
    Played out;
    Handle pic = Get1Resource(FourCC("PICT"), id);
    EXPECT_NE(pic, nullptr) << "PICT " << id;
    if (!pic) return out;
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    out.width = frame.right - frame.left;
    out.height = frame.bottom - frame.top;
    Rect bounds = MakeRect(0, 0, out.height, out.width);
    UniqueGWorld g;
    EXPECT_EQ(NewGWorld(g.out(), 32, &bounds, nullptr, nullptr, 0), noErr);
    SavedGWorld saved;
    SetGWorld(g.get(), nullptr);
    EXPECT_EQ(DrawPictureChecked(pic, &bounds), noErr) << "PICT " << id;
    PixMapHandle pm = GetGWorldPixMap(g.get());
    for (int v = 0; v < out.height; ++v)
        for (int h = 0; h < out.width; ++h) {
            const UInt8* p = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + v * GetPixRowBytes(pm) + 4 * h;
            out.px.push_back(UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]);
        }
    return out;
}

TEST_F(AppResources, PicturesHaveTheSizesTheirWindowsAndBoxesNeed) {
    struct Case {
        ResID id;
        int width, height;
    };
    const Case cases[] = {{128, 372, 61}, {129, 49, 161}, {131, 3, 3},   {132, 35, 128}, {134, 36, 30},
                          {135, 36, 30},  {136, 36, 30},  {137, 36, 30}, {139, 130, 40}, {145, 12, 14},
                          {146, 12, 14},  {147, 12, 14},  {152, 35, 104}, {153, 33, 8},  {154, 9, 4},
                          {140, 295, 292}, {141, 40, 40}, {142, 136, 136}};
    for (const Case& c : cases) {
        const Played p = Play(c.id);
        EXPECT_EQ(p.width, c.width) << "PICT " << c.id;
        EXPECT_EQ(p.height, c.height) << "PICT " << c.id;
    }
    // Palette pictures fill their windows' content exactly.
    struct Window {
        ResID wind, pict;
    };
    for (Window w : {Window{129, 128}, Window{130, 129}, Window{132, 132}, Window{134, 139}, Window{135, 134},
                     Window{133, 152}}) {
        const Bytes b = Resource("WIND", w.wind);
        const Played p = Play(w.pict);
        EXPECT_EQ((b[6] << 8 | b[7]) - (b[2] << 8 | b[3]), p.width) << "WIND " << w.wind;
        EXPECT_EQ((b[4] << 8 | b[5]) - (b[0] << 8 | b[1]), p.height) << "WIND " << w.wind;
    }
}

// Every pixel of colour palette 1 is either a grid line or the colour a
// click there picks.
TEST_F(AppResources, ColorCubePixelsAreTheColoursAClickPicks) {
    const Played p = Play(128);
    ASSERT_EQ(p.px.size(), 372u * 61u);
    int cells = 0;
    for (int v = 0; v < 61; ++v)
        for (int h = 0; h < 372; ++h) {
            const bool onCell = h >= 1 && v >= 1 && (h - 1) % 62 < 60;
            const bool line = h % 62 % 10 == 0 || v % 10 == 0;
            if (!onCell || line) {
                if (h % 62 <= 60) {
                    EXPECT_EQ(p.at(h, v), 0x000000u) << h << "," << v;
                }
                continue;
            }
            const UInt32 red = UInt32(5 - (h - 1) / 62) * 0x33, blue = UInt32(5 - (h - 1) % 62 / 10) * 0x33,
                         green = UInt32(5 - (v - 1) / 10) * 0x33;
            EXPECT_EQ(p.at(h, v), red << 16 | green << 8 | blue) << h << "," << v;
            ++cells;
        }
    EXPECT_EQ(cells, 216 * 81);
}

TEST_F(AppResources, RampPixelsAreTheColoursAClickPicks) {
    const Played p = Play(129);
    for (int v = 1; v < 161; ++v)
        for (int h = 1; h < 48; ++h) {
            if (h % 12 == 0 || v % 10 == 0) {
                EXPECT_EQ(p.at(h, v), 0x000000u) << h << "," << v;
                continue;
            }
            const UInt32 c = UInt32(15 - (v - 1) / 10) * 0x11;
            const int column = (h - 1) / 12;
            if (column == 0 && c == 0) {
                // The transparent cell: white crossed in red.
                EXPECT_TRUE(p.at(h, v) == 0xFFFFFFu || p.at(h, v) == 0xFF0000u) << h << "," << v;
                continue;
            }
            const UInt32 want = column == 3 ? c * 0x010101u : c << (8 * (2 - column));
            EXPECT_EQ(p.at(h, v), want) << h << "," << v;
        }
    EXPECT_EQ(p.at(2, 151), 0xFF0000u);
    EXPECT_EQ(p.at(10, 151), 0xFFFFFFu);
}

TEST_F(AppResources, ToolCellsLieWhereTheToolRectangleIs) {
    const Played p = Play(132);
    for (int tool = 0; tool < 5; ++tool) {
        const int top = 3 + 25 * tool, bottom = 25 + 25 * tool;
        // A frame round the cell (left 3, right 32), background outside.
        EXPECT_EQ(p.at(3, top), 0x888888u) << tool;
        EXPECT_EQ(p.at(31, bottom - 1), 0x888888u) << tool;
        EXPECT_EQ(p.at(2, top), 0xDDDDDDu) << tool;
        EXPECT_EQ(p.at(32, bottom), 0xDDDDDDu) << tool;
        // Each cell holds a drawing in black.
        int black = 0;
        for (int v = top + 1; v < bottom - 1; ++v)
            for (int h = 4; h < 31; ++h) black += p.at(h, v) == 0;
        EXPECT_GT(black, 15) << tool;
    }
}

// The family window's artwork leaves every member's place white and frames it.
TEST_F(AppResources, FamilyArtworkFramesEveryMemberPlace) {
    const Rect places[14] = {MakeRect(36, 11, 68, 43),    MakeRect(36, 57, 68, 89),   MakeRect(36, 103, 68, 135),
                             MakeRect(36, 149, 68, 181),  MakeRect(97, 19, 113, 35),  MakeRect(97, 65, 113, 81),
                             MakeRect(97, 111, 113, 127), MakeRect(97, 157, 113, 173), MakeRect(36, 205, 68, 237),
                             MakeRect(36, 251, 68, 283),  MakeRect(97, 213, 113, 229), MakeRect(97, 259, 113, 275),
                             MakeRect(144, 11, 272, 139), MakeRect(144, 155, 272, 283)};
    const Played p = Play(140);
    for (int kind = 0; kind < 14; ++kind) {
        const Rect& r = places[kind];
        for (int v = r.top - 2; v < r.bottom + 2; ++v)
            for (int h = r.left - 2; h < r.right + 2; ++h) ASSERT_EQ(p.at(h, v), 0xFFFFFFu) << kind;
        EXPECT_EQ(p.at(r.left - 3, r.top - 3), 0x999999u) << kind;
        EXPECT_EQ(p.at(r.right + 2, r.bottom + 2), 0x999999u) << kind;
    }
    // The family window's template is 195 × 134.
    const Bytes w = Resource("WIND", 137);
    EXPECT_EQ((w[6] << 8 | w[7]) - (w[2] << 8 | w[3]), 195);
    EXPECT_EQ((w[4] << 8 | w[5]) - (w[0] << 8 | w[1]), 134);
}

TEST_F(AppResources, PatternListsHoldWhatTheFillAndGridCodeAsksFor) {
    auto pattern = [](const Bytes& list, int item) { return Bytes(list.begin() + 2 + 8 * (item - 1), list.begin() + 2 + 8 * item); };
    const Bytes solid(8, 0xFF), empty(8, 0x00);
    const Bytes small = Resource("PAT#", 200), large = Resource("PAT#", 201);
    ASSERT_EQ(small.size(), 2u + 24 * 8);
    ASSERT_EQ(large.size(), 2u + 40 * 8);
    EXPECT_EQ(pattern(small, 1), solid);
    EXPECT_EQ(pattern(small, 13), empty);
    EXPECT_EQ(pattern(large, 1), empty);
    EXPECT_EQ(pattern(large, 12), solid);
    for (int i = 1; i <= 40; ++i)
        for (int k = i + 1; k <= 40; ++k) EXPECT_NE(pattern(large, i), pattern(large, k)) << i << " " << k;
    // Pixel grids: a grid of period 4 and 8; row 0 and column 0 carry the lines.
    const Bytes zoom4 = Resource("PAT#", 128), zoom8 = Resource("PAT#", 129);
    EXPECT_EQ(pattern(zoom4, 1), empty);
    EXPECT_EQ(pattern(zoom4, 2), (Bytes{0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}));
    EXPECT_EQ(pattern(zoom8, 2), (Bytes{0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}));
    for (ResID id : {128, 129, 130, 131}) EXPECT_EQ(Resource("PAT#", id).size(), 2u + 5 * 8) << id;
    EXPECT_EQ(pattern(Resource("PAT#", 132), 1), solid);
    EXPECT_EQ(Resource("PAT ", 128), (Bytes{0xF8, 0xF1, 0xE3, 0xC7, 0x8F, 0x1F, 0x3E, 0x7C}));
}

TEST_F(AppResources, CursorsAreWholeAndMasked) {
    for (ResID id : {128, 129, 130, 131, 132, 133, 135, 137, 139, 140, 141}) {
        const Bytes c = Resource("CURS", id);
        ASSERT_EQ(c.size(), 68u) << id;
        for (int row = 0; row < 16; ++row) {
            const int data = c[2 * row] << 8 | c[2 * row + 1], mask = c[32 + 2 * row] << 8 | c[33 + 2 * row];
            EXPECT_EQ(data & ~mask, 0) << "CURS " << id << " row " << row;
        }
        const int v = c[64] << 8 | c[65], h = c[66] << 8 | c[67];
        EXPECT_LT(v, 16);
        EXPECT_LT(h, 16);
        // The hot spot lies on the cursor's shape.
        const int mask = c[32 + 2 * v] << 8 | c[33 + 2 * v];
        EXPECT_TRUE(mask & (0x8000 >> h) || id == 130 || id == 139) << "CURS " << id;
    }
}

TEST_F(AppResources, ColorTablesHaveTheirSizes) {
    struct Case {
        ResID id;
        int count;
    };
    for (Case c : {Case{128, 16}, Case{129, 256}, Case{130, 34}, Case{131, 256}}) {
        const Bytes t = Resource("clut", c.id);
        ASSERT_EQ(t.size(), size_t(8 + 8 * c.count)) << c.id;
        EXPECT_EQ(t[6] << 8 | t[7], c.count - 1) << c.id;
    }
    // The 256-colour table starts white and ends black, like the standard one.
    const Bytes t = Resource("clut", 129);
    EXPECT_EQ(Bytes(t.begin() + 8, t.begin() + 16), (Bytes{0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(t.end() - 8, t.end()), (Bytes{0, 255, 0, 0, 0, 0, 0, 0}));
}

TEST_F(AppResources, BlankIconAndEmptyFamilyParse) {
    Bytes blank(128, 0x00);
    blank.insert(blank.end(), 128, 0xFF);  // white image, fully set mask
    EXPECT_EQ(Resource("ICN#", 2000), blank);

    std::vector<IconFamilyElement> elements;
    const Bytes empty = Resource("icns", 2002);
    EXPECT_EQ(ParseIconFamily(empty, &elements), noErr);
    EXPECT_TRUE(elements.empty());
    const Bytes family = Resource("icns", 2000);
    ASSERT_EQ(ParseIconFamily(family, &elements), noErr);
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_EQ(elements[0].type, FourCC("ICN#"));
    const std::span<const UInt8> member = elements[0].data(family);
    EXPECT_EQ(Bytes(member.begin(), member.end()), blank);
}

}  // namespace

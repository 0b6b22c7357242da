// The icon-family window: its size and title by source, what it draws, and
// selecting members by clicks, Tab and the arrow keys, as scripted input
// reaches ClickFamilyWindow and DoFamilyWindowKey.
#include "icons/FamilyWindow.h"
#include "icons/FamilyWindowInternal.h"
#include "icons/IconConvert.h"
#include "image/Colors.h"
#include "platform/raster/ColorTables.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/PaintTestSupport.h"

#include <string>
#include <vector>

namespace {

using namespace painttest;
using MemberBytes = std::vector<UInt8>;

class FamilyWindowTest : public PaintWindowTest {
protected:
    void TearDown() override {
        for (WindowRef w : windows_) DisposeFamilyWindow(w);
        PaintWindowTest::TearDown();
    }
    // A window over a record of `kinds`, named "Art".
    WindowRef Make(std::initializer_list<SInt16> kinds, Boolean show32 = false, OSType source = kSourceIconFamilyFile) {
        KorvelIcon icon = icontest::MakeIcon(kinds);
        WindowRef w = MakeFamilyWindow(Point{113, 42}, show32, nullptr, source, icon,
                                      reinterpret_cast<ConstStr255Param>("\x03" "Art"));
        EXPECT_NE(w, nullptr);
        if (w) windows_.push_back(w);
        else (void)DisposeKorvelIcon(&icon);
        return w;
    }
    static FamilyWinRec& Rec(WindowRef w) { return *GetFamilyWinRec(w); }
    // Plays the script, handing the window's events to it as the dispatcher does.
    static void Play(WindowRef w) {
        EventRecord ev;
        for (int guard = 0; guard < 2000; ++guard) {
            if (!WaitNextEvent(everyEvent, &ev, 1, nullptr)) {
                if (!ScriptPending()) break;
                continue;
            }
            WindowRef hit = nullptr;
            if (ev.what == mouseDown && FindWindow(ev.where, &hit) == inContent && hit == w) {
                SetPortWindowPort(w);
                Point local = ev.where;
                GlobalToLocal(&local);
                ClickFamilyWindow(w, local, &ev);
            } else if (ev.what == keyDown) {
                DoFamilyWindowKey(w, &ev);
            } else if (ev.what == updateEvt) {
                WindowRef updated = EventWindow(ev);
                BeginUpdate(updated);
                UpdateFamilyWindow(updated);
                EndUpdate(updated);
            }
        }
    }
    static Point Global(WindowRef w, const Rect& r) {
        Point p{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
        SavedGWorld saved;
        SetPortWindowPort(w);
        LocalToGlobal(&p);
        return p;
    }
    static void Key(WindowRef w, UInt8 ch, EventModifiers modifiers = 0) {
        EventRecord ev;
        ev.what = keyDown;
        ev.message = ch;
        ev.modifiers = modifiers;
        EXPECT_TRUE(DoFamilyWindowKey(w, &ev));
    }
    std::vector<WindowRef> windows_;
};

// The colour a member's pixel has, from its stored data and table.
UInt32 MemberColor(const KorvelIcon& icon, SInt16 kind, int h, int v) {
    const int size = gIconSize[size_t(kind)], depth = gIconDepth[size_t(kind)];
    const MemberBytes data = icontest::MemberOf(icon, kind);
    const UInt8* row = data.data() + IconKindDataOffset(kind) + size_t(v * size * depth / 8);
    if (depth == 32) return UInt32(row[h * 4 + 1]) << 16 | UInt32(row[h * 4 + 2]) << 8 | row[h * 4 + 3];
    const int bit = h * depth;
    const int index = (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
    UniqueCTable table(GetIconKindCTable(kind));
    return xfer::RGBTo24(CTabEntries(table.get())[index].rgb);
}

UInt32 PortPixel(WindowRef w, int h, int v) {
    return xfer::RGBTo24(ReadPixel(**GetPortPixMap(GetWindowPort(w)), h, v));
}

}  // namespace

TEST_F(FamilyWindowTest, SizeAndTitleFollowTheSource) {
    struct Case {
        Boolean show32;
        OSType source;
        int width, height, lastShown;
        const char* title;
    };
    const Case cases[] = {
        {false, kSourceIconFamilyFile, 195, 134, 7, "Art"},
        {true, kSourceIconFamilyFile, 295, 292, 13, "Art"},
        {true, 0, 295, 292, 13, "Icon"},
        {true, kSourceCustomIcon, 295, 292, 13, "Custom icon of Art"},
        {true, kSourceIconList, 295, 134, 11, "Art"},  // the thumbnails' places lie below the window
        {true, kSourceWinIcon, 295, 292, 13, "Art"},
    };
    for (const Case& c : cases) {
        WindowRef w = Make({kKindIcl8, kKindICNImage}, c.show32, c.source);
        Rect port;
        GetWindowPortBounds(w, &port);
        EXPECT_EQ(RectWidth(port), c.width) << c.title;
        EXPECT_EQ(RectHeight(port), c.height) << c.title;
        EXPECT_EQ(LastShownKind(Rec(w), w), c.lastShown) << c.title;
        EXPECT_EQ(Title(w), c.title);
        EXPECT_EQ(GetExtWindowKind(w), kFamilyWindowKind);
        // The name field holds the name, all of it selected.
        EXPECT_EQ(TEGetText(Rec(w).nameTE), "Art");
        EXPECT_TRUE(TEIsActive(Rec(w).nameTE));
        EXPECT_EQ(TEGetSelEnd(Rec(w).nameTE) - TEGetSelStart(Rec(w).nameTE), 3);
        EXPECT_EQ(Rec(w).selectedKind, -1);
        EXPECT_FALSE(Rec(w).isDirty);
    }
    // Windows stack 30 down and 20 right of each other.
    EXPECT_EQ(Content(windows_[1]).top - Content(windows_[0]).top, 30);
    EXPECT_EQ(Content(windows_[1]).left - Content(windows_[0]).left, 20);

    // The zoom box goes between the sizes; a member it hides is no longer selected.
    WindowRef w = windows_[1];
    SelectFamilyMember(&Rec(w), kKindIt32);
    ToggleFamilyWindowZoom(w);
    EXPECT_EQ(Content(w).right - Content(w).left, 195);
    EXPECT_FALSE(Rec(w).show32);
    EXPECT_EQ(Rec(w).selectedKind, -1);
    ToggleFamilyWindowZoom(w);
    EXPECT_EQ(Content(w).bottom - Content(w).top, 292);
    ToggleFamilyWindowZoom(windows_[0]);  // made narrow, it widens all the same
    EXPECT_EQ(Content(windows_[0]).right - Content(windows_[0]).left, 295);
    EXPECT_TRUE(Rec(windows_[0]).show32);
}

TEST_F(FamilyWindowTest, DrawsEachMemberPixelForPixel) {
    WindowRef w = Make({kKindIcl8, kKindIcl4, kKindICNImage, kKindIl32, kKindL8mk, kKindIt32}, true);
    FamilyWinRec& rec = Rec(w);
    SelectFamilyMember(&rec, kKindIcl4);
    SetPortWindowPort(w);
    UpdateFamilyWindow(w);
    for (SInt16 kind : {kKindIcl8, kKindIcl4, kKindICNImage, kKindICNMask, kKindIl32, kKindL8mk, kKindIt32}) {
        const Rect& r = familyIconRect[size_t(kind)];
        int wrong = 0;
        for (int v = 0; v < RectHeight(r); ++v)
            for (int h = 0; h < RectWidth(r); ++h)
                if (PortPixel(w, r.left + h, r.top + v) != MemberColor(rec.icon, kind, h, v) && ++wrong <= 3)
                    ADD_FAILURE() << "kind " << kind << " pixel " << h << "," << v;
        EXPECT_EQ(wrong, 0) << kind;
    }
    // An absent member is the 50 % grey pattern over its place and border;
    // the selected one is framed, with white between frame and member.
    const Rect& absent = familyIconRect[kKindIcs8];
    for (int v = absent.top - 2; v < absent.bottom + 2; ++v)
        for (int h = absent.left - 2; h < absent.right + 2; ++h)
            ASSERT_EQ(PortPixel(w, h, v), ((h + v) & 1) ? 0xFFFFFFu : 0u) << h << "," << v;
    const Rect& selected = familyIconRect[kKindIcl4];
    EXPECT_EQ(PortPixel(w, selected.left - 2, selected.top - 2), 0u);
    EXPECT_EQ(PortPixel(w, selected.right + 1, selected.bottom), 0u);
    EXPECT_EQ(PortPixel(w, selected.left - 1, selected.top + 5), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(w, familyIconRect[kKindIcl8].left - 2, familyIconRect[kKindIcl8].top - 2), 0xFFFFFFu);
}

TEST_F(FamilyWindowTest, ClicksSelectMembersAndTheNameField) {
    WindowRef w = Make({kKindIcl8, kKindICNImage});
    FamilyWinRec& rec = Rec(w);
    for (SInt16 kind : {kKindICNMask, kKindIcs4, kKindIcl8}) {
        ScriptClick(Global(w, familyIconRect[size_t(kind)]));
        Play(w);
        EXPECT_EQ(rec.selectedKind, kind);
        EXPECT_FALSE(TEIsActive(rec.nameTE));
    }
    // Between members nothing is selected; in the name field, it takes the focus.
    ScriptClick(Global(w, Rect{80, 0, 90, 10}));
    Play(w);
    EXPECT_EQ(rec.selectedKind, -1);
    ScriptClick(Global(w, familyNameTERect));
    Play(w);
    EXPECT_TRUE(TEIsActive(rec.nameTE));

    // A double-click opens the member in a paint window.
    ScriptClick(Global(w, familyIconRect[kKindIcl8]));
    ScriptClick(Global(w, familyIconRect[kKindIcl8]));
    Play(w);
    WindowRef paint = FindMemberPaintWindow(w, kKindIcl8);
    ASSERT_NE(paint, nullptr);
    MoveWindow(paint, 700, 500, false);

    // A click on a member of a window behind only brings the window to the front.
    WindowRef other = Make({kKindIcl8, kKindICNImage});
    MoveWindow(other, 600, 400, false);
    SelectWindow(other);
    ScriptClick(Global(w, familyIconRect[kKindIcl4]));
    Play(w);
    EXPECT_EQ(FrontNonFloatingWindow(), w);
    EXPECT_EQ(rec.selectedKind, kKindIcl8);
}

TEST_F(FamilyWindowTest, PreviewShowsTheSelectedMember) {
    WindowRef w = Make({kKindIcl8, kKindICNImage, kKindIt32}, true);
    FamilyWinRec& rec = Rec(w);
    const MemberBytes icn = icontest::MemberOf(rec.icon, kKindICNImage);
    auto masked = [&](int h, int v) { return (icn[size_t(128 + v * 4 + h / 8)] >> (7 - h % 8)) & 1; };
    auto expectCell = [&](const Rect& cell, auto want) {
        int wrong = 0;
        for (int v = 0; v < RectHeight(cell); ++v)
            for (int h = 0; h < RectWidth(cell); ++h)
                if (PortPixel(gPreviewWindow, cell.left + h, cell.top + v) != want(h, v) && ++wrong <= 3)
                    ADD_FAILURE() << RectText(&cell) << " pixel " << h << "," << v;
        EXPECT_EQ(wrong, 0);
    };
    SelectFamilyMember(&rec, kKindIcl8);
    UpdateIconPreview(w);
    // Large, normal: the member through the 1-bit mask over white.
    expectCell(Rect{7, 8, 39, 40},
               [&](int h, int v) { return masked(h, v) ? MemberColor(rec.icon, kKindIcl8, h, v) : 0xFFFFFFu; });
    // Open: the hatch in the mask's shape; the small rows stay empty without 'ics#'.
    expectCell(Rect{63, 8, 95, 40},
               [&](int h, int v) { return !masked(h, v) ? 0xFFFFFFu : ((h + v) & 1) ? 0xDDDDDDu : 0x777777u; });
    expectCell(Rect{79, 83, 95, 99}, [](int, int) { return 0xFFFFFFu; });

    SelectFamilyMember(&rec, kKindIt32);
    UpdateIconPreview(w);
    expectCell(Rect{23, 0, 151, 128}, [&](int h, int v) { return MemberColor(rec.icon, kKindIt32, h, v); });
}

TEST_F(FamilyWindowTest, ContextMenuFollowsTheMember) {
    WindowRef w = Make({kKindIcl8, kKindICNImage});
    FamilyWinRec& rec = Rec(w);
    const MenuID menu = 172;
    auto enabled = [&] {
        std::string out;
        for (MenuItemIndex i : {1, 2, 3, 5, 6, 7, 8, 10}) out += Enabled(menu, i) ? '1' : '0';
        return out;
    };
    // A Control-click on a member with data: edit, cut, copy, clear.
    ScriptClick(Global(w, familyIconRect[kKindIcl8]), controlKey);
    Play(w);
    EXPECT_EQ(rec.selectedKind, kKindIcl8);
    EXPECT_EQ(enabled(), "10011010");
    // Held past the double-click time on an absent member: new empty member,
    // which the menu's choice then makes.
    const Point at = Global(w, familyIconRect[kKindIcs8]);
    ScriptMouseDown(at);
    ScriptWait(GetDblTime() + 5);
    ScriptMenuChoice(MenuChoice(menu, 10));
    ScriptMouseUp(at);
    Play(w);
    EXPECT_EQ(rec.selectedKind, kKindIcs8);
    EXPECT_EQ(enabled(), "00000001");
    EXPECT_EQ(icontest::MemberOf(rec.icon, kKindIcs8), MemberBytes(256, 0));
}

TEST_F(FamilyWindowTest, TabAndArrowsWalkTheShownMembers) {
    WindowRef narrow = Make({kKindIcl8, kKindICNImage});
    WindowRef wide = Make({kKindIcl8, kKindICNImage, kKindIt32}, true);
    struct Step {
        WindowRef w;
        SInt16 from;  // -1: the name field active
        UInt8 key;
        EventModifiers modifiers;
        SInt16 to;    // -1: the name field active, -2: nothing selected, field inactive
    };
    const Step steps[] = {
        {narrow, 2, kDownArrowCharCode, 0, 6},  {narrow, 6, kDownArrowCharCode, 0, 6},
        {narrow, 7, kRightArrowCharCode, 0, 7}, {narrow, 4, kUpArrowCharCode, 0, 0},
        {narrow, 0, kLeftArrowCharCode, 0, 0},  {wide, 7, kRightArrowCharCode, 0, 8},
        {wide, 9, kDownArrowCharCode, 0, 13},   {narrow, 7, kTabCharCode, 0, -1},
        {wide, 13, kTabCharCode, 0, -1},         {wide, -1, kTabCharCode, shiftKey, 13},
        {wide, -1, kTabCharCode, 0, 0},          {wide, 0, kTabCharCode, shiftKey, -1},
        {wide, -2, kTabCharCode, 0, -1},
    };
    for (const Step& s : steps) {
        FamilyWinRec& rec = Rec(s.w);
        SelectFamilyMember(&rec, s.from < 0 ? -1 : s.from);
        if (s.from == -1) TEActivate(rec.nameTE);
        else TEDeactivate(rec.nameTE);
        Key(s.w, s.key, s.modifiers);
        const SInt16 got = TEIsActive(rec.nameTE) ? -1 : rec.selectedKind < 0 ? -2 : rec.selectedKind;
        EXPECT_EQ(got, s.to) << int(s.from) << " key " << int(s.key);
        EXPECT_TRUE(s.to != -1 || rec.selectedKind == -1);
    }
}

TEST_F(FamilyWindowTest, TypingTheNameMarksTheFamilyChanged) {
    WindowRef w = Make({kKindIcl8, kKindICNImage});
    FamilyWinRec& rec = Rec(w);
    for (UInt8 ch : {kLeftArrowCharCode, kEndCharCode, kReturnCharCode}) Key(w, ch);
    EXPECT_FALSE(rec.isDirty);  // moving the caret changes nothing; Return is not typed
    for (UInt8 ch : {UInt8('s'), UInt8(kBackspaceCharCode), UInt8('y')}) Key(w, ch);
    EXPECT_EQ(TEGetText(rec.nameTE), "Arty");
    EXPECT_TRUE(rec.isDirty);
    // With the field inactive, letters are not the window's.
    TEDeactivate(rec.nameTE);
    EventRecord ev;
    ev.what = keyDown;
    ev.message = 'q';
    EXPECT_FALSE(DoFamilyWindowKey(w, &ev));
    EXPECT_EQ(TEGetText(rec.nameTE), "Arty");
}

// The icon-family window: its size and title by source, what it draws, and
// selecting members with scripted clicks, Tab and the arrow keys.
#include "icons/FamilyWindow.h"
#include "icons/FamilyWindowInternal.h"
#include "icons/IconConvert.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/PaintTestSupport.h"

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
        windows_.push_back(w);
        return w;
    }
    static FamilyWinRec& Rec(WindowRef w) { return *GetFamilyWinRec(w); }
    static void Click(WindowRef w, SInt16 kind, EventModifiers modifiers = 0) {
        const Rect& r = familyIconRect[size_t(kind)];
        Point p{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
        SetPortWindowPort(w);
        LocalToGlobal(&p);
        ScriptClick(p, modifiers);
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

// The colour of a member's pixel, from its stored data and table.
UInt32 MemberColor(const KorvelIcon& icon, SInt16 kind, int h, int v) {
    const int size = gIconSize[size_t(kind)], depth = gIconDepth[size_t(kind)];
    const MemberBytes data = icontest::MemberOf(icon, kind);
    const UInt8* row = data.data() + IconKindDataOffset(kind) + size_t(v * size * depth / 8);
    if (depth == 32) return UInt32(row[h * 4 + 1]) << 16 | UInt32(row[h * 4 + 2]) << 8 | row[h * 4 + 3];
    const int bit = h * depth, index = (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
    UniqueCTable table(GetIconKindCTable(kind));
    return xfer::RGBTo24(CTabEntries(table.get())[index].rgb);
}

UInt32 PortPixel(WindowRef w, int h, int v) {
    return xfer::RGBTo24(ReadPixel(**GetPortPixMap(GetWindowPort(w)), h, v));
}

// The window's pixels over `r` against want(h, v), relative to r.
template <class F> void ExpectPixels(WindowRef w, const Rect& r, F want) {
    int wrong = 0;
    for (int v = 0; v < RectHeight(r); ++v)
        for (int h = 0; h < RectWidth(r); ++h)
            if (PortPixel(w, r.left + h, r.top + v) != want(h, v) && ++wrong <= 3)
                ADD_FAILURE() << RectText(&r) << " pixel " << h << "," << v;
    EXPECT_EQ(wrong, 0) << RectText(&r);
}

}  // namespace

TEST_F(FamilyWindowTest, SizeAndTitleFollowTheSource) {
    const struct { Boolean show32; OSType source; int width, height, lastShown; const char* title; } cases[] = {
        {false, kSourceIconFamilyFile, 195, 134, 7, "Art"},     {true, kSourceIconFamilyFile, 295, 292, 13, "Art"},
        {true, 0, 295, 292, 13, "Icon"},                         {true, kSourceCustomIcon, 295, 292, 13, "Custom icon of Art"},
        {true, kSourceIconList, 295, 134, 11, "Art"},  // the thumbnails' places lie below the window
    };
    for (const auto& c : cases) {
        WindowRef w = Make({kKindIcl8, kKindICNImage}, c.show32, c.source);
        EXPECT_EQ(RectWidth(Content(w)), c.width) << c.title;
        EXPECT_EQ(RectHeight(Content(w)), c.height) << c.title;
        EXPECT_EQ(LastShownKind(Rec(w), w), c.lastShown) << c.title;
        EXPECT_EQ(Title(w), c.title);
        // The name field has the focus with the whole name selected.
        EXPECT_TRUE(TEIsActive(Rec(w).nameTE));
        EXPECT_EQ(TEGetText(Rec(w).nameTE) + std::to_string(TEGetSelEnd(Rec(w).nameTE)), "Art3");
    }
    // Windows stack 30 down and 20 right of each other.
    EXPECT_EQ(Content(windows_[1]).top - Content(windows_[0]).top, 30);
    EXPECT_EQ(Content(windows_[1]).left - Content(windows_[0]).left, 20);

    // The zoom box goes between the sizes, a narrow window included; a member it hides is deselected.
    WindowRef w = windows_[1];
    SelectFamilyMember(&Rec(w), kKindIt32);
    ToggleFamilyWindowZoom(w);
    EXPECT_EQ(RectWidth(Content(w)) * 1000 + Rec(w).show32, 195000);
    EXPECT_EQ(Rec(w).selectedKind, -1);
    ToggleFamilyWindowZoom(windows_[0]);
    EXPECT_EQ(RectHeight(Content(windows_[0])) * 1000 + Rec(windows_[0]).show32, 292001);
}

TEST_F(FamilyWindowTest, DrawsEachMemberPixelForPixel) {
    WindowRef w = Make({kKindIcl8, kKindIcl4, kKindICNImage, kKindIl32, kKindL8mk, kKindIt32}, true);
    const KorvelIcon& icon = Rec(w).icon;
    SelectFamilyMember(&Rec(w), kKindIcl4);
    SetPortWindowPort(w);
    UpdateFamilyWindow(w);
    for (SInt16 kind : {kKindIcl8, kKindIcl4, kKindICNImage, kKindICNMask, kKindIl32, kKindL8mk, kKindIt32})
        ExpectPixels(w, familyIconRect[size_t(kind)], [&](int h, int v) { return MemberColor(icon, kind, h, v); });
    // An absent member is the 50 % grey pattern over its place and border;
    // the selected one is framed, with white between frame and member.
    Rect absent = familyIconRect[kKindIcs8];
    InsetRect(&absent, -2, -2);
    ExpectPixels(w, absent, [&](int h, int v) { return ((h + v + absent.left + absent.top) & 1) ? 0xFFFFFFu : 0u; });
    const Rect& selected = familyIconRect[kKindIcl4];
    EXPECT_EQ(PortPixel(w, selected.left - 2, selected.top - 2), 0u);
    EXPECT_EQ(PortPixel(w, selected.right + 1, selected.bottom), 0u);
    EXPECT_EQ(PortPixel(w, selected.left - 1, selected.top + 5), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(w, familyIconRect[kKindIcl8].left - 2, familyIconRect[kKindIcl8].top - 2), 0xFFFFFFu);
}

TEST_F(FamilyWindowTest, ClicksSelectOpenAndShowTheContextMenu) {
    WindowRef w = Make({kKindIcl8, kKindICNImage});
    FamilyWinRec& rec = Rec(w);
    for (SInt16 kind : {kKindICNMask, kKindIcs4, kKindIcl8}) {
        Click(w, kind);
        RunPendingEvents();
        EXPECT_EQ(rec.selectedKind, kind);
        EXPECT_FALSE(TEIsActive(rec.nameTE));
    }
    // Control-click on a member with data: edit, cut, copy and clear are offered.
    auto offered = [] {
        std::string out;
        for (MenuItemIndex i : {1, 2, 3, 5, 6, 7, 8, 10}) out += Enabled(172, i) ? '1' : '0';
        return out;
    };
    Click(w, kKindIcl4, controlKey);
    RunPendingEvents();
    EXPECT_EQ(rec.selectedKind, kKindIcl4);
    EXPECT_EQ(offered(), "00000001");
    // Held past the double-click time on an absent member: a new empty member, chosen.
    const Rect& r = familyIconRect[kKindIcs8];
    Point at{SInt16(r.top + 4), SInt16(r.left + 4)};
    SetPortWindowPort(w);
    LocalToGlobal(&at);
    ScriptMouseDown(at);
    ScriptWait(GetDblTime() + 5);
    ScriptMenuChoice(MenuChoice(172, 10));
    ScriptMouseUp(at);
    RunPendingEvents();
    EXPECT_EQ(rec.selectedKind, kKindIcs8);
    EXPECT_EQ(icontest::MemberOf(rec.icon, kKindIcs8), MemberBytes(256, 0));
    Click(w, kKindIcs8, controlKey);
    RunPendingEvents();
    EXPECT_EQ(offered(), "10011010");

    // A double-click opens the member in a paint window.
    Click(w, kKindIcl8);
    Click(w, kKindIcl8);
    RunPendingEvents();
    WindowRef paint = FindMemberPaintWindow(w, kKindIcl8);
    ASSERT_NE(paint, nullptr);
    // A click on a member of a window behind only brings the window to the front.
    SelectWindow(paint);
    MoveWindow(paint, 600, 400, false);
    Click(w, kKindIcl4);
    RunPendingEvents();
    EXPECT_EQ(FrontNonFloatingWindow(), w);
    EXPECT_EQ(rec.selectedKind, kKindIcl8);
}

TEST_F(FamilyWindowTest, TabAndArrowsWalkTheShownMembers) {
    WindowRef narrow = Make({kKindIcl8, kKindICNImage});
    WindowRef wide = Make({kKindIcl8, kKindICNImage, kKindIt32}, true);
    // from/to: a kind, -1 the name field active, -2 nothing selected and the field inactive.
    const struct { WindowRef w; SInt16 from; UInt8 key; EventModifiers modifiers; SInt16 to; } steps[] = {
        {narrow, 2, kDownArrowCharCode, 0, 6},  {narrow, 6, kDownArrowCharCode, 0, 6},
        {narrow, 7, kRightArrowCharCode, 0, 7}, {narrow, 4, kUpArrowCharCode, 0, 0},
        {narrow, 0, kLeftArrowCharCode, 0, 0},  {wide, 7, kRightArrowCharCode, 0, 8},
        {wide, 9, kDownArrowCharCode, 0, 13},   {narrow, 7, kTabCharCode, 0, -1},
        {wide, 13, kTabCharCode, 0, -1},        {wide, -1, kTabCharCode, shiftKey, 13},
        {wide, -1, kTabCharCode, 0, 0},         {wide, 0, kTabCharCode, shiftKey, -1},
        {wide, -2, kTabCharCode, 0, -1},
    };
    for (const auto& s : steps) {
        FamilyWinRec& rec = Rec(s.w);
        SelectFamilyMember(&rec, s.from < 0 ? -1 : s.from);
        if (s.from == -1) TEActivate(rec.nameTE);
        else TEDeactivate(rec.nameTE);
        Key(s.w, s.key, s.modifiers);
        const SInt16 got = TEIsActive(rec.nameTE) ? SInt16(rec.selectedKind < 0 ? -1 : 99) : rec.selectedKind < 0 ? -2 : rec.selectedKind;
        EXPECT_EQ(got, s.to) << int(s.from) << " key " << int(s.key);
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
}

TEST_F(FamilyWindowTest, PreviewShowsTheSelectedMember) {
    WindowRef w = Make({kKindIcl8, kKindICNImage, kKindIt32}, true);
    const KorvelIcon& icon = Rec(w).icon;
    const MemberBytes icn = icontest::MemberOf(icon, kKindICNImage);
    auto masked = [&](int h, int v) { return (icn[size_t(128 + v * 4 + h / 8)] >> (7 - h % 8)) & 1; };
    SelectFamilyMember(&Rec(w), kKindIcl8);
    UpdateIconPreview(w);
    // Normal: the member through its 1-bit mask over white; open: a hatch in
    // the mask's shape; the small open row stays empty without 'ics#'.
    ExpectPixels(gPreviewWindow, Rect{7, 8, 39, 40},
                 [&](int h, int v) { return masked(h, v) ? MemberColor(icon, kKindIcl8, h, v) : 0xFFFFFFu; });
    ExpectPixels(gPreviewWindow, Rect{63, 8, 95, 40},
                 [&](int h, int v) { return !masked(h, v) ? 0xFFFFFFu : ((h + v) & 1) ? 0xDDDDDDu : 0x777777u; });
    ExpectPixels(gPreviewWindow, Rect{79, 83, 95, 99}, [](int, int) { return 0xFFFFFFu; });
    SelectFamilyMember(&Rec(w), kKindIt32);
    UpdateIconPreview(w);
    ExpectPixels(gPreviewWindow, Rect{23, 0, 151, 128}, [&](int h, int v) { return MemberColor(icon, kKindIt32, h, v); });
}

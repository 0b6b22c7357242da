#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/WindowInternal.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr Rect kBounds{50, 50, 250, 350};  // the dialog's global content rectangle

struct ItemDef {
    UInt8 type;
    Rect rect;
    std::string text;  // or a resource ID for controls and pictures
    SInt16 id = 0;
};

void PString(ByteWriter& w, const std::string& s) {
    w.u8(UInt8(s.size()));
    w.bytes({reinterpret_cast<const UInt8*>(s.data()), s.size()});
}

std::vector<UInt8> DitlBytes(const std::vector<ItemDef>& items) {
    ByteWriter w;
    w.s16be(SInt16(items.size() - 1));
    for (const ItemDef& it : items) {
        w.u32be(0);
        w.rect(it.rect);
        w.u8(it.type);
        UInt8 base = it.type & 0x7F;
        if (base == ctrlItem + resCtrl || base == picItem || base == iconItem) {
            w.u8(2);
            w.s16be(it.id);
        } else {
            PString(w, it.text);
            if (it.text.size() & 1) w.u8(0);
        }
    }
    return w.buffer();
}

std::vector<UInt8> DlogBytes(const Rect& bounds, SInt16 itemsID) {
    ByteWriter w;
    w.rect(bounds);
    w.s16be(movableDBoxProc);
    w.u16be(0);
    w.u16be(0);
    w.s32be(0);
    w.s16be(itemsID);
    PString(w, "Test");
    return w.buffer();
}

std::vector<UInt8> CntlBytes(const Rect& r, SInt16 value, SInt16 min, SInt16 max, SInt16 procID) {
    ByteWriter w;
    w.rect(r);
    w.s16be(value);
    w.u16be(0x0100);
    w.s16be(max);
    w.s16be(min);
    w.s16be(procID);
    w.s32be(0);
    PString(w, "");
    return w.buffer();
}

std::vector<UInt8> MenuBytes(SInt16 id, const std::vector<std::string>& items) {
    ByteWriter w;
    for (SInt16 v : {id, SInt16(0), SInt16(0), SInt16(0), SInt16(0)}) w.s16be(v);
    w.u32be(~0u);
    PString(w, "P");
    for (const std::string& t : items) {
        PString(w, t);
        w.u32be(0);
    }
    w.u8(0);
    return w.buffer();
}

Rect R(int t, int l, int b, int r) { return MakeRect(t, l, b, r); }

const Rect kUserRect = R(150, 20, 170, 60);
const Rect kPictRect = R(150, 100, 170, 140);

void Add(ResType type, ResID id, const std::vector<UInt8>& bytes) {
    AddResource(NewHandleFromBytes(bytes), type, id, nullptr);
    ASSERT_EQ(ResError(), noErr);
}

// A picture of a black 10 x 10 square in a 20 x 20 frame.
std::vector<UInt8> SquarePicture() {
    Rect frame = R(0, 0, 20, 20);
    UniqueGWorld world;
    EXPECT_EQ(NewGWorld(world.out(), 32, &frame, nullptr, nullptr, 0), noErr);
    SavedGWorld saved;
    SetGWorld(world.get(), nullptr);
    OpenCPicParams params{frame};
    PicHandle pic = OpenCPicture(&params);
    Rect square = R(0, 0, 10, 10);
    PaintRect(&square);
    ClosePicture();
    auto bytes = HandleBytes(pic);
    std::vector<UInt8> out(bytes.begin(), bytes.end());
    KillPicture(pic);
    return out;
}

UInt32 PortPixel(WindowRef w, int h, int v) {
    PixMapHandle pm = GetPortPixMap(GetWindowPort(w));
    const UInt8* row = PixRow(**pm, v + (*pm)->bounds.top);
    const UInt8* p = row + 4 * (h - (*pm)->bounds.left);
    return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}

std::vector<EventKind> gFiltered;
DialogItemIndex gFilterAnswer = 0;
Boolean RecordingFilter(DialogRef, EventRecord* e, DialogItemIndex* item) {
    gFiltered.push_back(e->what);
    if (gFilterAnswer && e->what == keyDown) {
        *item = gFilterAnswer;
        return true;
    }
    return false;
}

void PaintUserItem(DialogRef d, DialogItemIndex n) {
    DialogItemType type;
    Handle h;
    Rect box;
    GetDialogItem(d, n, &type, &h, &box);
    PaintRect(&box);
}

class DialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(InitWindows(400, 300), noErr);
        InitResources();
        file_ = NewResFileInMemory();
        ASSERT_NE(file_, kResFileNotOpen);
        Add(FourCC("DLOG"), 500, DlogBytes(kBounds, 500));
        Add(FourCC("DITL"), 500, DitlBytes({
            {ctrlItem + btnCtrl, R(170, 220, 190, 290), "OK"},
            {ctrlItem + btnCtrl, R(170, 130, 190, 200), "Cancel"},
            {editText, R(20, 100, 36, 150), "12"},
            {ctrlItem + chkCtrl, R(50, 20, 68, 200), "Clipboard size"},
            {ctrlItem + resCtrl, R(80, 20, 100, 280), "", 600},
            {statText, R(110, 20, 126, 280), "Width ^0 of ^1"},
            {userItem, kUserRect, ""},
            {picItem | itemDisable, kPictRect, "", 900},
        }));
        Add(FourCC("DITL"), 501, DitlBytes({
            {editText, R(20, 200, 36, 250), "a"},
            {ctrlItem + radCtrl, R(50, 220, 68, 290), "Two"},
        }));
        Add(FourCC("CNTL"), 600, CntlBytes(R(80, 20, 100, 280), 1, 700, 80, popupMenuProc));
        Add(FourCC("MENU"), 700, MenuBytes(700, {"White", "Transparent", "Background"}));
        Add(FourCC("PICT"), 900, SquarePicture());
        SetUnattended(true);
        ResetScriptLog();
        ClearScript();
        FlushEvents(everyEvent, 0);
        Str255 p0, p1;
        CopyCStringToPascal("32", p0);
        CopyCStringToPascal("64", p1);
        ParamText(p0, p1, p0, p0);
        dialog_ = GetNewDialog(500, nullptr, kFirstWindowOfClass);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        if (dialog_) DisposeDialog(dialog_);
        ClearScript();
        FlushEvents(everyEvent, 0);
        CloseResFile(file_);
    }
    Point Global(const Rect& local) const {
        return Point{SInt16(kBounds.top + (local.top + local.bottom) / 2),
                     SInt16(kBounds.left + (local.left + local.right) / 2)};
    }
    DialogItemIndex Run(ModalFilterProcPtr filter = nullptr) {
        DialogItemIndex hit = -99;
        ModalDialog(filter, &hit);
        return hit;
    }
    std::string Text(DialogItemIndex n) {
        Str255 t;
        GetDialogItemText(dialog_, n, t);
        return PStringToStd(t);
    }
    SInt16 file_ = kResFileNotOpen;
    DialogRef dialog_ = nullptr;
};

}  // namespace

TEST(DialogResources, TemplatesAndItemListsParse) {
    DialogTemplateData d;
    ASSERT_EQ(ParseDialogTemplate(DlogBytes(kBounds, 77), &d), noErr);
    EXPECT_EQ(d.boundsRect, kBounds);
    EXPECT_EQ(d.procID, movableDBoxProc);
    EXPECT_EQ(d.itemsID, 77);
    EXPECT_EQ(d.title, "Test");
    std::vector<DialogItemData> items;
    auto ditl = DitlBytes({{statText, R(1, 2, 3, 4), "abc"}, {(ctrlItem + resCtrl) | itemDisable, R(5, 6, 7, 8), "", -2}});
    ASSERT_EQ(ParseDialogItemList(ditl, &items), noErr);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].rect, R(1, 2, 3, 4));
    EXPECT_EQ(std::string(items[0].data.begin(), items[0].data.end()), "abc");
    EXPECT_EQ(items[1].type, ctrlItem + resCtrl + itemDisable);
    EXPECT_EQ(items[1].ResourceID(), -2);
    // The last item's pad byte may be missing; anything else short is refused.
    auto noPad = ditl;
    auto odd = DitlBytes({{statText, R(1, 2, 3, 4), "abc"}});
    odd.pop_back();
    EXPECT_EQ(ParseDialogItemList(odd, &items), noErr);
    EXPECT_EQ(items.size(), 1u);
    for (size_t n = 0; n + 1 < noPad.size(); ++n)
        EXPECT_EQ(ParseDialogItemList(std::span(noPad.data(), n), &items), badExtResource) << n;
    const std::vector<UInt8> tooMany = {0x7F, 0xFF};
    EXPECT_EQ(ParseDialogItemList(tooMany, &items), badExtResource);
    const std::vector<UInt8> empty = {0xFF, 0xFF};
    EXPECT_EQ(ParseDialogItemList(empty, &items), noErr);
    EXPECT_TRUE(items.empty());
    ControlTemplateData c;
    auto cntl = CntlBytes(R(1, 2, 3, 4), 3, 141, 60, popupMenuProc);
    EXPECT_EQ(ParseControlTemplate(std::span(cntl.data(), cntl.size() - 1), &c), badExtResource);
    AlertTemplateData a;
    const std::vector<UInt8> alrt = {0, 1, 0, 2, 0, 3, 0, 4, 0, 201, 0x55, 0x5D};
    EXPECT_EQ(ParseAlertTemplate(std::span(alrt.data(), 11), &a), badExtResource);
}

TEST_F(DialogsTest, ItemsAreNumberedAsListedAndAppended) {
    EXPECT_EQ(CountDITL(dialog_), 8);
    EXPECT_EQ(GetDialogID(dialog_), 500);
    EXPECT_EQ(GetDialogFromWindow(dialog_), dialog_);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    const DialogItemType types[] = {ctrlItem + btnCtrl, ctrlItem + btnCtrl, editText, ctrlItem + chkCtrl,
                                    ctrlItem + resCtrl, statText, userItem, picItem + itemDisable};
    for (DialogItemIndex i = 1; i <= 8; ++i) {
        DialogItemType type = -1;
        Handle h = nullptr;
        Rect box;
        GetDialogItem(dialog_, i, &type, &h, &box);
        EXPECT_EQ(type, types[i - 1]) << i;
    }
    EXPECT_EQ(Text(3), "12");
    EXPECT_EQ(Text(6), "Width 32 of 64");
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);
    ControlRef pop = nullptr;
    ASSERT_EQ(GetDialogItemAsControl(dialog_, 5, &pop), noErr);
    EXPECT_EQ(GetMenuID(GetControlPopupMenuHandle(pop)), 700);
    EXPECT_EQ(GetControlMaximum(pop), 3);
    EXPECT_EQ(GetDialogItemAsControl(dialog_, 7, &pop), paramErr);

    AppendDITL(dialog_, 501);
    EXPECT_EQ(CountDITL(dialog_), 10);
    EXPECT_EQ(Text(9), "a");
    DialogItemType type;
    Handle h;
    Rect box;
    GetDialogItem(dialog_, 10, &type, &h, &box);
    EXPECT_EQ(type, ctrlItem + radCtrl);
    EXPECT_EQ(box, R(50, 220, 68, 290));
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), 3);  // the first edit text keeps the focus
}

TEST_F(DialogsTest, ScriptedStepsActOneAtATime) {
    ScriptDialog(500, {DialogStep::Type(3, "128"), DialogStep::Choose(5, 2), DialogStep::Click(4),
                       DialogStep::Click(1)});
    ScriptDialog(-1, {DialogStep::Click(2)});
    std::vector<DialogItemIndex> hits;
    for (int i = 0; i < 5; ++i) hits.push_back(Run());
    EXPECT_EQ(hits, (std::vector<DialogItemIndex>{3, 5, 4, 1, 2}));
    EXPECT_EQ(Text(3), "128");
    ControlRef pop = nullptr, box = nullptr;
    ASSERT_EQ(GetDialogItemAsControl(dialog_, 5, &pop), noErr);
    ASSERT_EQ(GetDialogItemAsControl(dialog_, 4, &box), noErr);
    EXPECT_EQ(GetControlValue(pop), 2);
    EXPECT_EQ(GetControlValue(box), 0);  // a click leaves the value to the program
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{500});
    // Nothing left and no one watching: the cancel item.
    EXPECT_EQ(Run(), 2);
    SetDialogCancelItem(dialog_, 1);
    EXPECT_EQ(Run(), 1);
}

TEST_F(DialogsTest, KeysHitTheDefaultAndCancelItemsAndTypeIntoTheFocus) {
    struct Case {
        UInt8 keyCode, ch;
        EventModifiers mods;
        DialogItemIndex defaultItem;
        DialogItemIndex hit;
        const char* text;
    } cases[] = {
        {kVK_Return, kReturnCharCode, 0, 1, 1, "12"},
        {kVK_ANSI_KeypadEnter, kEnterCharCode, 0, 1, 1, "12"},
        {kVK_Return, kReturnCharCode, 0, 2, 2, "12"},
        {kVK_Escape, kEscapeCharCode, 0, 1, 2, "12"},
        {0x2F, '.', cmdKey, 1, 2, "12"},
        {kVK_ANSI_7, '7', 0, 1, 3, "7"},  // the first edit text starts selected
        {kVK_ANSI_Q, 'q', cmdKey, 1, 2, "12"},  // other command keys do nothing
        {kVK_ANSI_X, 0x18, cmdKey, 1, 3, ""},   // cut, from the control character Ctrl gives
    };
    for (const Case& c : cases) {
        ResetScriptLog();
        SetDialogItemText(dialog_, 3, reinterpret_cast<ConstStr255Param>("\00212"));
        SelectDialogItemText(dialog_, 3, 0, 32767);
        SetDialogDefaultItem(dialog_, c.defaultItem);
        ScriptKey(c.keyCode, c.ch, c.mods);
        EXPECT_EQ(Run(), c.hit) << int(c.ch);
        EXPECT_EQ(Text(3), c.text) << int(c.ch);
        ClearScript();
    }
    // The cut text pastes at the caret; Command-A then typing replaces everything.
    SetDialogItemText(dialog_, 3, reinterpret_cast<ConstStr255Param>("\0015"));
    SelectDialogItemText(dialog_, 3, 1, 1);
    ScriptKey(kVK_ANSI_V, 'v', cmdKey);
    ScriptKey(kVK_ANSI_V, 'v', cmdKey);
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Text(3), "51212");
    ScriptKey(kVK_ANSI_A, 'a', cmdKey);
    ScriptKey(kVK_ANSI_4, '4');
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Text(3), "4");
}

TEST_F(DialogsTest, FilterSeesEventsFirst) {
    gFiltered.clear();
    gFilterAnswer = 7;
    ScriptKey(kVK_Return, kReturnCharCode);
    EXPECT_EQ(Run(RecordingFilter), 7);
    ASSERT_FALSE(gFiltered.empty());
    EXPECT_EQ(gFiltered.back(), keyDown);
    EXPECT_EQ(Text(3), "12");
    // A filter that declines leaves the default handling.
    gFiltered.clear();
    gFilterAnswer = 0;
    ScriptKey(kVK_Return, kReturnCharCode);
    EXPECT_EQ(Run(RecordingFilter), 1);
    EXPECT_NE(std::find(gFiltered.begin(), gFiltered.end(), keyDown), gFiltered.end());
}

TEST_F(DialogsTest, ClicksHitEnabledVisibleItems) {
    ShowWindow(dialog_);
    struct Case {
        Rect where;
        DialogItemIndex hit;
    } cases[] = {
        {R(170, 220, 190, 290), 1}, {R(50, 20, 68, 200), 4}, {kUserRect, 7},
        {kPictRect, 2},  // a disabled item: nothing, then the cancel item
        {R(0, 0, 10, 10), 2},
    };
    for (const Case& c : cases) {
        ScriptClick(Global(c.where));
        EXPECT_EQ(Run(), c.hit) << c.where.top << "," << c.where.left;
    }
    DisableDialogItem(dialog_, 4);
    ControlRef box = nullptr;
    ASSERT_EQ(GetDialogItemAsControl(dialog_, 4, &box), noErr);
    EXPECT_FALSE(IsControlActive(box));
    ScriptClick(Global(R(50, 20, 68, 200)));
    EXPECT_EQ(Run(), 2);
    EnableDialogItem(dialog_, 4);
    HideDialogItem(dialog_, 4);
    EXPECT_FALSE(ui_internal::ControlWidget(box)->isVisible());
    ScriptClick(Global(R(50, 20, 68, 200)));
    EXPECT_EQ(Run(), 2);
    ShowDialogItem(dialog_, 4);
    ScriptClick(Global(R(50, 20, 68, 200)));
    EXPECT_EQ(Run(), 4);
    // A click at the edit text's left end puts the caret before the text.
    ScriptClick(Point{SInt16(kBounds.top + 28), SInt16(kBounds.left + 100)});
    ScriptKey(kVK_ANSI_9, '9');
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Text(3), "912");
}

TEST_F(DialogsTest, PicturesAndUserItemsDrawIntoThePort) {
    SetDialogItemDrawProc(dialog_, 7, PaintUserItem);
    DrawDialog(dialog_);
    EXPECT_EQ(PortPixel(dialog_, kUserRect.left, kUserRect.top), 0x000000u);
    EXPECT_EQ(PortPixel(dialog_, kUserRect.right - 1, kUserRect.bottom - 1), 0x000000u);
    EXPECT_EQ(PortPixel(dialog_, kUserRect.right, kUserRect.bottom), 0xFFFFFFu);
    // The picture's 10 x 10 square fills the top-left quarter of its 40 x 20 box, scaled.
    EXPECT_EQ(PortPixel(dialog_, kPictRect.left, kPictRect.top), 0x000000u);
    EXPECT_EQ(PortPixel(dialog_, kPictRect.left + 19, kPictRect.top + 9), 0x000000u);
    EXPECT_EQ(PortPixel(dialog_, kPictRect.left + 20, kPictRect.top + 9), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(dialog_, kPictRect.left, kPictRect.top + 10), 0xFFFFFFu);
}

TEST_F(DialogsTest, AlertsSubstituteParametersAndAnswer) {
    Add(FourCC("ALRT"), 800, {0, 60, 0, 60, 0, 160, 1, 104, 0x03, 0x20, 0x55, 0x55});
    Add(FourCC("DITL"), 800, DitlBytes({
        {ctrlItem + btnCtrl, R(70, 200, 90, 280), "OK"},
        {statText, R(10, 60, 60, 280), "Could not open ^0: ^1^3"},
    }));
    Add(FourCC("ALRT"), 801, {0, 60, 0, 60, 0, 160, 1, 104, 0x03, 0x21, 0x55, 0x5D});
    Add(FourCC("DITL"), 801, DitlBytes({
        {ctrlItem + btnCtrl, R(70, 200, 90, 280), "Save"},
        {ctrlItem + btnCtrl, R(70, 100, 90, 180), "Don't"},
        {statText, R(10, 60, 60, 280), "^2"},
    }));
    Str255 a, b, empty;
    CopyCStringToPascal("pic.png", a);
    CopyCStringToPascal("bad header", b);
    CopyCStringToPascal("", empty);
    ParamText(a, b, nullptr, empty);
    ScriptDialog(800, {DialogStep::Click(1)});
    EXPECT_EQ(StopAlert(800, nullptr), 1);
    EXPECT_EQ(LastAlertText(), "Could not open pic.png: bad header");
    // Unattended: the cancel item, which is item 1 when the bold bit makes item 2 the default.
    EXPECT_EQ(CautionAlert(801, nullptr), 1);
    EXPECT_EQ(LastAlertText(), "32");  // ^2 kept its earlier text
    ScriptKey(kVK_Return, kReturnCharCode);
    EXPECT_EQ(Alert(801, nullptr), 2);
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{800, 801, 801}));
    EXPECT_EQ(NoteAlert(999, nullptr), -1);  // no such alert
}

TEST_F(DialogsTest, PositionedTemplatesAreCentredAndIconsDrawn) {
    auto dlog = DlogBytes(R(500, 600, 600, 800), 502);  // off the desktop as stored
    dlog.push_back(0);  // align the positioning word
    dlog.push_back(0x30);
    dlog.push_back(0x0A);
    Add(FourCC("DLOG"), 502, dlog);
    std::vector<UInt8> icon(128, 0);
    for (int i = 0; i < 4; ++i) icon[size_t(i)] = 0xFF;  // the top row
    icon[4] = 0x80;                                       // the first pixel of the second row
    Add(FourCC("ICON"), 300, icon);
    Add(FourCC("DITL"), 502, DitlBytes({
        {ctrlItem + btnCtrl, R(70, 100, 90, 180), "OK"},
        {iconItem | itemDisable, R(10, 10, 42, 42), "", 300},
        {iconItem | itemDisable, R(10, 60, 42, 124), "", 300},  // twice as wide
    }));
    DialogRef d = GetNewDialog(502, nullptr, kFirstWindowOfClass);
    ASSERT_NE(d, nullptr);
    Rect content;
    GetWindowBounds(d, kWindowContentRgn, &content);
    // A 200 x 100 dialog on the 400 x 300 desktop.
    EXPECT_EQ(content, R(66, 100, 166, 300));
    DrawDialog(d);
    EXPECT_EQ(PortPixel(d, 10, 10), 0x000000u);
    EXPECT_EQ(PortPixel(d, 41, 10), 0x000000u);
    EXPECT_EQ(PortPixel(d, 10, 11), 0x000000u);
    EXPECT_EQ(PortPixel(d, 11, 11), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(d, 42, 10), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(d, 61, 11), 0x000000u);
    EXPECT_EQ(PortPixel(d, 62, 11), 0xFFFFFFu);
    DisposeDialog(d);
}

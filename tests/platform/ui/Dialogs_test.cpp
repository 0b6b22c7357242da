#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace uitest;

constexpr Rect kBounds{50, 50, 250, 350};  // the dialog's global content rectangle

struct ItemDef {
    UInt8 type;
    Rect rect;
    std::string text;  // or a resource ID for controls and pictures
    SInt16 id = 0;
};

std::vector<UInt8> DitlBytes(const std::vector<ItemDef>& items) {
    ByteWriter w;
    w.s16be(SInt16(items.size() - 1));
    for (const ItemDef& it : items) {
        w.u32be(0);
        w.rect(it.rect);
        w.u8(it.type);
        const UInt8 base = it.type & 0x7F;
        if (base == ctrlItem + resCtrl || base == picItem || base == iconItem) {
            w.u8(2);
            w.s16be(it.id);
        } else {
            PutPString(w, it.text);
            if (it.text.size() & 1) w.u8(0);
        }
    }
    return w.buffer();
}

std::vector<UInt8> DlogBytes(const Rect& bounds, SInt16 itemsID) {
    ByteWriter w;
    w.rect(bounds);
    w.s16be(movableDBoxProc);
    w.u32be(0);
    w.s32be(0);
    w.s16be(itemsID);
    PutPString(w, "Test");
    return w.buffer();
}

std::vector<UInt8> CntlBytes(const Rect& r, SInt16 value, SInt16 min, SInt16 max, SInt16 procID) {
    ByteWriter w;
    w.rect(r);
    for (SInt16 v : {value, SInt16(0x0100), max, min, procID}) w.s16be(v);
    w.s32be(0);
    PutPString(w, "");
    return w.buffer();
}

const Rect kUserRect = R(150, 20, 170, 60);
const Rect kPictRect = R(150, 100, 170, 140);

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

class DialogsTest : public UiTest {
protected:
    DialogsTest() : UiTest(400, 300) {}
    void SetUp() override {
        UiTest::SetUp();
        InitResources();
        file_ = NewResFileInMemory();
        ASSERT_NE(file_, kResFileNotOpen);
        AddTestResource(FourCC("DLOG"), 500, DlogBytes(kBounds, 500));
        AddTestResource(FourCC("DITL"), 500, DitlBytes({
            {ctrlItem + btnCtrl, R(170, 220, 190, 290), "OK"},
            {ctrlItem + btnCtrl, R(170, 130, 190, 200), "Cancel"},
            {editText, R(20, 100, 36, 150), "12"},
            {ctrlItem + chkCtrl, R(50, 20, 68, 200), "Clipboard size"},
            {ctrlItem + resCtrl, R(80, 20, 100, 280), "", 600},
            {statText, R(110, 20, 126, 280), "Width ^0 of ^1"},
            {userItem, kUserRect, ""},
            {picItem | itemDisable, kPictRect, "", 900},
        }));
        AddTestResource(FourCC("CNTL"), 600, CntlBytes(R(80, 20, 100, 280), 1, 700, 80, popupMenuProc));
        AddTestResource(FourCC("MENU"), 700, MenuBytes(700, "P", {{"White"}, {"Transparent"}, {"Background"}}));
        ResetScriptLog();
        Str255 p0, p1;
        CopyCStringToPascal("32", p0);
        CopyCStringToPascal("64", p1);
        ParamText(p0, p1, p0, p0);
        dialog_ = GetNewDialog(500, nullptr, kFirstWindowOfClass);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        if (dialog_) DisposeDialog(dialog_);
        CloseResFile(file_);
        UiTest::TearDown();
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

TEST_F(DialogsTest, KeysHitTheDefaultAndCancelItemsAndTypeIntoTheFocus) {
    struct Case {
        UInt8 keyCode, ch;
        EventModifiers mods;
        DialogItemIndex defaultItem;
        DialogItemIndex hit;
        const char* text;
    } cases[] = {
        {kVK_Return, kReturnCharCode, 0, 1, 1, "12"}, {kVK_ANSI_KeypadEnter, kEnterCharCode, 0, 1, 1, "12"},
        {kVK_Return, kReturnCharCode, 0, 2, 2, "12"}, {kVK_Escape, kEscapeCharCode, 0, 1, 2, "12"},
        {0x2F, '.', cmdKey, 1, 2, "12"},
        {kVK_ANSI_7, '7', 0, 1, 3, "7"},        // the first edit text starts selected
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
    // A filter that declines leaves the default handling.
    for (DialogItemIndex answer : {7, 0}) {
        gFiltered.clear();
        gFilterAnswer = answer;
        ScriptKey(kVK_Return, kReturnCharCode);
        EXPECT_EQ(Run(RecordingFilter), answer ? answer : 1);
        EXPECT_NE(std::find(gFiltered.begin(), gFiltered.end(), keyDown), gFiltered.end());
        EXPECT_EQ(Text(3), "12");
    }
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
    ControlRef box = nullptr;
    ASSERT_EQ(GetDialogItemAsControl(dialog_, 4, &box), noErr);
    for (int step = 0; step < 3; ++step) {
        if (step == 0) DisableDialogItem(dialog_, 4);
        if (step == 1) {
            EnableDialogItem(dialog_, 4);
            HideDialogItem(dialog_, 4);
        }
        if (step == 2) ShowDialogItem(dialog_, 4);
        EXPECT_EQ(IsControlActive(box) && ui_internal::ControlWidget(box)->isVisible(), step == 2);
        ScriptClick(Global(R(50, 20, 68, 200)));
        EXPECT_EQ(Run(), step == 2 ? 4 : 2) << step;
    }
    // A click at the edit text's left end puts the caret before the text.
    ScriptClick(Point{SInt16(kBounds.top + 28), SInt16(kBounds.left + 100)});
    ScriptKey(kVK_ANSI_9, '9');
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Text(3), "912");
}

TEST_F(DialogsTest, AlertsSubstituteParametersAndAnswer) {
    AddTestResource(FourCC("ALRT"), 800, {0, 60, 0, 60, 0, 160, 1, 104, 0x03, 0x20, 0x55, 0x55});
    AddTestResource(FourCC("DITL"), 800, DitlBytes({
        {ctrlItem + btnCtrl, R(70, 200, 90, 280), "OK"},
        {statText, R(10, 60, 60, 280), "Could not open ^0: ^1^3 (^2)"},
    }));
    Str255 a, b, empty;
    CopyCStringToPascal("pic.png", a);
    CopyCStringToPascal("bad header", b);
    CopyCStringToPascal("", empty);
    ParamText(a, b, nullptr, empty);
    ScriptDialog(800, {DialogStep::Click(1)});
    EXPECT_EQ(StopAlert(800, nullptr), 1);
    EXPECT_EQ(LastAlertText(), "Could not open pic.png: bad header (32)");  // ^2 kept its earlier text
    EXPECT_EQ(StopAlert(999, nullptr), -1);  // no such alert
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{800}));
}

// Files to open arrive as high-level events; an alert shown while one file
// opens must leave the next one queued for the main loop.
TEST_F(DialogsTest, AlertsLeaveHighLevelEventsQueued) {
    AddTestResource(FourCC("ALRT"), 801, {0, 60, 0, 60, 0, 160, 1, 104, 0x03, 0x21, 0x55, 0x55});
    AddTestResource(FourCC("DITL"), 801, DitlBytes({{ctrlItem + btnCtrl, R(70, 200, 90, 280), "OK"}}));
    ASSERT_EQ(PostEvent(kHighLevelEvent, 7), noErr);
    EXPECT_EQ(StopAlert(801, nullptr), 1);  // unattended: answered at once
    EventRecord e;
    ASSERT_TRUE(GetNextEvent(highLevelEventMask, &e));
    EXPECT_EQ(e.message, 7u);
}

TEST_F(DialogsTest, PositionedTemplatesAreCentred) {
    auto dlog = DlogBytes(R(500, 600, 600, 800), 502);  // off the desktop as stored
    dlog.push_back(0);  // align the positioning word
    dlog.push_back(0x30);
    dlog.push_back(0x0A);
    AddTestResource(FourCC("DLOG"), 502, dlog);
    AddTestResource(FourCC("DITL"), 502, DitlBytes({{ctrlItem + btnCtrl, R(70, 100, 90, 180), "OK"}}));
    DialogRef d = GetNewDialog(502, nullptr, kFirstWindowOfClass);
    ASSERT_NE(d, nullptr);
    Rect content;
    GetWindowBounds(d, kWindowContentRgn, &content);
    // A 200 x 100 dialog on the 400 x 300 desktop.
    EXPECT_EQ(content, R(66, 100, 166, 300));
    DisposeDialog(d);
}

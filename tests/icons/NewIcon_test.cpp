// New icons: the templates' members, the new-icon dialog as a user fills
// it in, the export dialog, and Icon > New Icon opening a family window.
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/NewIcon.h"
#include "platform/ui/Scripting.h"
#include "tests/image/IconTestSupport.h"
#include "tests/platform/files/TempFolder.h"

#include "tests/support/ProgramTest.h"

#include <gtest/gtest.h>

using namespace icontest;

namespace {

class NewIconTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(isThumbnailIconsAvailable);
        gSelector = {};
        gSelectedTemplate = kBlankTemplate;
    }
};

// Which kinds a member choice asks for.
std::vector<SInt16> ChosenKinds(IconMemberSelector s) {
    std::vector<SInt16> kinds;
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
        const Boolean chosen = kind == kKindIt32   ? s.withIt32
                               : kind == kKindT8mk ? s.withT8mk
                                                   : (SelectorBitForIconType(gIconType[size_t(kind)]) & s.selector) != 0;
        if (chosen) kinds.push_back(kind);
    }
    return kinds;
}

std::vector<SInt16> PresentKinds(const KorvelIcon& icon) {
    std::vector<SInt16> kinds;
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
        const Bytes member = MemberOf(icon, kind);
        if (member.empty()) continue;
        EXPECT_EQ(Size(member.size()), IconKindDataSize(kind)) << "kind " << kind;
        kinds.push_back(kind);
    }
    return kinds;
}

Boolean Holds200(WindowRef, ResID id) { return id == 200; }

}  // namespace

// Every template with every preset gives exactly the chosen members at their
// exact sizes; the generic artwork has transparent and opaque pixels, the
// blank icon is opaque white.
TEST_F(NewIconTest, TemplatesGiveExactlyTheChosenMembers) {
    for (SInt16 templ : {kBlankTemplate, kDocumentTemplate, kApplicationTemplate, kFolderTemplate})
        for (DialogItemIndex preset = 18; preset <= 25; ++preset) {
            const IconMemberSelector selector = NewIconPreset(preset);
            if (selector.selector == 0 && !selector.withIt32) continue;  // "None" builds nothing
            SCOPED_TRACE(testing::Message() << "template " << templ << " preset " << preset);
            KorvelIconOwner icon;
            ASSERT_EQ(GetKorvelIconFromTemplate(icon.get(), selector, templ), noErr);
            EXPECT_EQ(PresentKinds(*icon), ChosenKinds(selector));
            const Bytes mask = MemberOf(*icon, selector.withT8mk ? kKindT8mk : kKindICNMask);
            if (mask.empty()) continue;
            const size_t from = selector.withT8mk ? 0 : 128;
            const bool anyClear = std::count(mask.begin() + std::ptrdiff_t(from), mask.end(), 0) > 0;
            EXPECT_EQ(anyClear, templ != kBlankTemplate);
        }
    KorvelIcon none;
    EXPECT_EQ(GetKorvelIconFromTemplate(&none, {}, 1), paramErr);
    EXPECT_EQ(GetKorvelIconFromTemplate(&none, {}, kTemplateCount), paramErr);
    EXPECT_EQ(none.suite, nullptr);
}

// The check-box rules keep a 1-bit member under every colour member and at
// least one of 'ICN#', 'ics#' and the thumbnail pair.
TEST_F(NewIconTest, MemberRulesKeepTheOneBitMembers) {
    IconMemberSelector s{0, false, false};
    EXPECT_TRUE(ToggleNewIconMember(&s, 14));  // 'is32' brings 'ics#'
    EXPECT_EQ(s.selector, 0x900u);
    EXPECT_FALSE(ToggleNewIconMember(&s, 11));  // 'ics#' is the last one standing
    EXPECT_TRUE(ToggleNewIconMember(&s, 6));    // 'icl8' brings 'ICN#'
    EXPECT_EQ(s.selector, 0x905u);
    EXPECT_TRUE(ToggleNewIconMember(&s, 11));  // 'ics#' goes with 'is32'
    EXPECT_EQ(s.selector, 0x5u);
    EXPECT_FALSE(ToggleNewIconMember(&s, 8));
    EXPECT_TRUE(ToggleNewIconMember(&s, 16));  // the thumbnail pair together
    EXPECT_TRUE(s.withIt32 && s.withT8mk);
    EXPECT_TRUE(ToggleNewIconMember(&s, 8));  // now 'ICN#' may go, with 'icl8'
    EXPECT_EQ(s.selector, 0u);
    EXPECT_FALSE(ToggleNewIconMember(&s, 17));
    EXPECT_TRUE(s.withIt32 && s.withT8mk);
}

// A user picks a preset and a template and types an ID: IDs the list holds,
// the custom icon's ID and numbers out of range are refused with a beep.
TEST_F(NewIconTest, DialogTakesPresetTemplateAndFreeID) {
    ScriptDialog(kNewIconDialogID,
                 {DialogStep::Click(24), DialogStep::Choose(kTemplateItem, 5), DialogStep::Type(4, "200"),
                  DialogStep::Click(1), DialogStep::Type(4, "-16455"), DialogStep::Click(1),
                  DialogStep::Type(4, "70000"), DialogStep::Click(1), DialogStep::Type(4, "-300"),
                  DialogStep::Type(5, "Folder"), DialogStep::Click(1)});
    IconResInfo info;
    info.resID = 128;
    IconMemberSelector selector;
    SInt16 templ = -1;
    ASSERT_EQ(NewIconDialog(&info, &selector, &templ, nullptr, Holds200), noErr);
    EXPECT_EQ(info.resID, -300);
    EXPECT_EQ(PStringToStd(info.name), "Folder");
    EXPECT_EQ(selector.selector, 0x1F00u);
    EXPECT_FALSE(selector.withIt32 || selector.withT8mk);
    EXPECT_EQ(templ, kFolderTemplate);
    EXPECT_EQ(SysBeepCount(), 3u);

    // The choice is kept; Cancel changes nothing it was given.
    ScriptDialog(kNewIconDialogID, {DialogStep::Type(4, "5"), DialogStep::Click(2)});
    EXPECT_EQ(NewIconDialog(&info, &selector, &templ, nullptr), userCanceledErr);
    EXPECT_EQ(info.resID, -300);
    EXPECT_EQ(gSelectedTemplate, kFolderTemplate);
    EXPECT_EQ(gSelector.selector, 0x1F00u);
}

// Icon > New Icon: the dialog's choice becomes an untitled family window
// holding exactly those members; its export proposes the chosen format.
TEST_F(NewIconTest, NewIconOpensAFamilyWindowWithTheChosenMembers) {
    ScriptDialog(kNewIconDialogID,
                 {DialogStep::Click(22), DialogStep::Choose(kTemplateItem, 3), DialogStep::Click(1)});
    ScriptMenuChoice(MenuChoice(kIconMenuID, 2));
    RunPendingEvents();
    WindowRef window = FrontDocumentWindow();
    FamilyWinRec* family = GetFamilyWinRec(window);
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->sourceType, 0u);
    EXPECT_FALSE(family->hasFile);
    EXPECT_TRUE(family->show32);
    EXPECT_EQ(family->resID, kCustomIconResID);
    EXPECT_EQ(PresentKinds(family->icon), ChosenKinds({0x1D1D, true, true}));

    NavAnswer answer;
    answer.path = "/tmp/robot.ico";
    answer.format = 1;
    ScriptNavDialog(answer);
    FSSpec file;
    OSType type = 0;
    ASSERT_EQ(SaveAsIconDialog(family->fileSpec.name, &file, &type, nullptr), noErr);
    EXPECT_EQ(type, kSourceWinIcon);
    answer.chosen = false;
    ScriptNavDialog(answer);
    EXPECT_EQ(SaveAsIconDialog(family->fileSpec.name, &file, &type, nullptr), userCanceledErr);
}

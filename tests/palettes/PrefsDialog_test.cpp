// The preferences and grid dialogs, answered by script: what reaches the
// settings on OK, and that nothing does on Cancel.
#include "palettes/PrefsDialog.h"

#include "app/Alerts.h"
#include "app/AppResources.h"
#include "app/Shell.h"
#include "paint/PaintWindow.h"
#include "palettes/PrefsCodec.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scripting.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

DialogItemIndex PageItem(int page, int k) { return PrefsPageItem(page, k); }

const fs::path& Scratch() {
    static const fs::path dir = fs::temp_directory_path() / ("korvel-prefsdialog-test-" + std::to_string(getpid()));
    return dir;
}

const RGBColor kPicked{0x1234, 0x5678, 0x9ABC};

// The path of a new file with a creator, for the file dialog's answer.
std::string FileWithCreator(const char* name, OSType creator) {
    fs::create_directories(Scratch());
    const std::string path = (Scratch() / name).string();
    FSSpec fileSpec;
    EXPECT_EQ(FSSpecFromPath(path, &fileSpec), noErr);
    (void)FSpDelete(&fileSpec);
    EXPECT_EQ(FSpCreate(&fileSpec, creator, FourCC("APPL"), smSystemScript), noErr);
    return path;
}

NavAnswer Choose(std::string path) { return NavAnswer{true, std::move(path), nullptr}; }
NavAnswer Cancel(std::function<void()> whileShown = nullptr) { return NavAnswer{false, {}, std::move(whileShown)}; }

class PrefsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        InitResources();
        ASSERT_EQ(OpenApplicationResources(), noErr);
        ASSERT_EQ(InitWindows(800, 600), noErr);
        SetUnattended(true);
        ResetScriptLog();
        ClearScript();
        isOSX = true;
        isIconServicesAvailable = true;
        isTabletAvailable = true;
        gSystemVersion = 0x1000;
        gKeyThreshStore[0] = 20;
        gKeyThreshStore[1] = 5;
        SetPrefDefaults();
    }
    void TearDown() override {
        TearDownWindows();
        InitResources();
        fs::remove_all(Scratch());
    }
};

// Every stored setting the dialog can touch, as bytes.
std::vector<UInt8> Settings() {
    std::vector<UInt8> s;
    for (const auto& part :
         {EncodePref(gStartup), EncodePref(gPICTCreator), EncodePref(gGIFCreator), EncodePref(gPNGCreator),
          EncodePref(gIconCreator), EncodePref(gPreviewIconFlag), EncodePref(gPaintWinPrefs),
          EncodePref(gUseExternalEditor), EncodePref(gToolPrefs), EncodePref(gPNGFilePrefs),
          EncodePref(gTabletPrefs), EncodePref(gOtherPrefs)})
        s.insert(s.end(), part.begin(), part.end());
    return s;
}

TEST_F(PrefsDialogTest, OKStoresWhatThePagesShow) {
    struct Case {
        const char* what;
        std::vector<DialogStep> steps;  // OK is added
        std::function<void()> check;
    };
    using S = DialogStep;
    const std::vector<UInt8> defaults = Settings();
    const std::vector<Case> cases = {
        {"start-up pop-up", {S::Choose(PageItem(1, 1), 3)}, [] { EXPECT_EQ(gStartup, 2); }},
        {"preview icon", {S::Click(PageItem(1, 11))}, [] { EXPECT_EQ(gPreviewIconFlag, 1); }},
        {"new picture", {S::Type(PageItem(2, 1), "120"), S::Type(PageItem(2, 2), "80"), S::Choose(PageItem(2, 3), 2),
                         S::Choose(PageItem(2, 4), 4), S::Click(PageItem(2, 5)), S::Choose(PageItem(2, 6), 3)},
         [] {
             EXPECT_EQ(EncodePref(gPaintWinPrefs), (std::vector<UInt8>{0, 0, 0, 0, 0, 80, 0, 120, 0, 3, 1, 0, 0, 2, 0, 24}));
         }},
        {"editor off", {S::Click(PageItem(2, 8))}, [] { EXPECT_EQ(gUseExternalEditor, 0); }},
        {"tool flags", {S::Click(PageItem(3, 1)), S::Click(PageItem(3, 3)), S::Click(PageItem(3, 5)), S::Click(PageItem(3, 8))},
         [] {
             EXPECT_EQ(EncodePref(gToolPrefs),
                       (std::vector<UInt8>{0, 1, 0, 0, 0, 20, 0, 5, 1, 0, 0, 1, 0, 0x21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0}));
         }},
        {"key repeat step 1", {S::Choose(PageItem(3, 4), 1)},
         [] {
             EXPECT_EQ(gToolPrefs.keyRepeatDelay, 40);
             EXPECT_EQ(gToolPrefs.keyRepeatInterval, 12);
         }},
        {"key repeat step 4", {S::Choose(PageItem(3, 4), 4)},
         [] {
             EXPECT_EQ(gToolPrefs.keyRepeatDelay, 12);
             EXPECT_EQ(gToolPrefs.keyRepeatInterval, 2);
         }},
        {"PNG page", {S::Click(PageItem(4, 1)), S::Choose(PageItem(4, 2), 4), S::Choose(PageItem(4, 3), 10),
                      S::Click(PageItem(4, 4)), S::Click(PageItem(4, 5)), S::Click(PageItem(4, 6))},
         [] { EXPECT_EQ(EncodePref(gPNGFilePrefs), (std::vector<UInt8>{0, 4, 0, 0, 0, 9, 0, 0, 1, 1})); }},
        {"PNG bottom-right pixel", {S::Choose(PageItem(4, 2), 6)}, [] { EXPECT_EQ(gPNGFilePrefs.transColorKind, 2); }},
        {"tablet second flag needs the first", {S::Click(PageItem(5, 3)), S::Click(PageItem(5, 1)), S::Click(PageItem(5, 1))},
         [] { EXPECT_EQ(gTabletPrefs, (std::array<UInt8, 4>{0, 0, 1, 0})); }},
        {"other flags", {S::Click(PageItem(6, 1)), S::Click(PageItem(6, 5)), S::Click(PageItem(6, 8))},
         [] { EXPECT_EQ(gOtherPrefs, (std::array<UInt8, 8>{1, 0, 0, 0, 0, 1, 0, 1})); }},
        {"tabs change nothing", {S::Choose(kPrefsTabItem, 4), S::Choose(kPrefsTabItem, 2)},
         [&defaults] { EXPECT_EQ(Settings(), defaults); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetPrefDefaults();
        std::vector<DialogStep> steps = c.steps;
        steps.push_back(DialogStep::Click(kStdOkItemIndex));
        ScriptDialog(kPrefsDialogID, steps);
        // The same steps then Cancel change nothing.
        steps.back() = DialogStep::Click(kStdCancelItemIndex);
        ScriptDialog(kPrefsDialogID, steps);
        OpenPrefsDialog();
        c.check();
        SetPrefDefaults();
        OpenPrefsDialog();
        EXPECT_EQ(Settings(), defaults);
        EXPECT_FALSE(ScriptPending());
    }
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>(cases.size() * 2, kPrefsDialogID));
}

// OK with a new-picture size that is not a whole number from 1 to 16384
// says so and keeps the dialog up with that field selected, so that what is
// typed next replaces it.
TEST_F(PrefsDialogTest, SizeOutOfRangeIsRefusedWithTheFieldSelected) {
    for (const char* bad : {"12x", "-5", "0", "16385"}) {
        SCOPED_TRACE(bad);
        SetPrefDefaults();
        ResetScriptLog();
        ScriptDialog(kPrefsDialogID, {DialogStep::Choose(kPrefsTabItem, 1), DialogStep::Type(PageItem(2, 2), bad),
                                      DialogStep::Type(PageItem(2, 1), "40"), DialogStep::Click(kStdOkItemIndex)});
        ScriptDialog(kErrorAlertID, {DialogStep::Click(1)});
        ScriptKey(kVK_ANSI_7, '7');
        ScriptKey(kVK_Return, kReturnCharCode);
        OpenPrefsDialog();
        EXPECT_EQ(gPaintWinPrefs.pictRect, (Rect{0, 0, 7, 40}));
        EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{kPrefsDialogID, kErrorAlertID}));
        EXPECT_NE(LastAlertText().find("from 1 to 16384"), std::string::npos) << LastAlertText();
        ClearScript();
    }
}

TEST_F(PrefsDialogTest, ChoosersSetCreatorsAndTheExternalEditor) {
    using S = DialogStep;
    const std::string viewer = FileWithCreator("Viewer", FourCC("ttxt"));
    ScriptNavDialog(Choose(viewer));
    ScriptNavDialog(Choose(viewer));
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(1, 2)), S::Click(PageItem(1, 4)), S::Click(kStdOkItemIndex)});
    OpenPrefsDialog();
    EXPECT_EQ(gPICTCreator, FourCC("ttxt"));
    EXPECT_EQ(gGIFCreator, FourCC("Krvl"));
    EXPECT_EQ(gPNGCreator, FourCC("ttxt"));
    EXPECT_EQ(gIconCreator, FourCC("Krvl"));

    // A file with no creator, or a cancelled choice, keeps the creator.
    ScriptNavDialog(Choose(FileWithCreator("Plain", 0)));
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(1, 3)), S::Click(kStdOkItemIndex)});
    OpenPrefsDialog();
    ScriptNavDialog(Cancel());
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(1, 5)), S::Click(kStdOkItemIndex)});
    OpenPrefsDialog();
    EXPECT_EQ(gGIFCreator, FourCC("Krvl"));
    EXPECT_EQ(gIconCreator, FourCC("Krvl"));

    // The editor must be a program the system can run; Cancel keeps none.
    const std::string editor = FileWithCreator("Editor", FourCC("EdIt"));
    ScriptNavDialog(Choose(editor));
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(2, 7)), S::Click(kStdOkItemIndex)});
    OpenPrefsDialog();
    EXPECT_EQ(gExternalEditor.name[0], 0);
    fs::permissions(editor, fs::perms::owner_exec, fs::perm_options::add);
    ScriptNavDialog(Choose(editor));
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(2, 7)), S::Click(kStdCancelItemIndex)});
    OpenPrefsDialog();
    EXPECT_EQ(gExternalEditor.name[0], 0);
    ScriptNavDialog(Choose(editor));
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(2, 7)), S::Click(kStdOkItemIndex)});
    OpenPrefsDialog();
    EXPECT_EQ(PStringToStd(gExternalEditor.name), "Editor");
    EXPECT_TRUE(isExternalEditorAvailable);
}

bool ItemShown(DialogItemIndex item) {
    ControlRef c = nullptr;
    return GetDialogItemAsControl(FrontWindow(), item, &c) == noErr && IsControlVisible(c);
}

// Without a tablet the fifth of five tabs shows the last page; the tab
// chosen last is shown first the next time.
TEST_F(PrefsDialogTest, TabsShowOnePageAtATime) {
    using S = DialogStep;
    isTabletAvailable = false;
    std::vector<std::vector<bool>> seen;
    const auto probe = [&seen] {
        ControlRef tabs = nullptr;
        ASSERT_EQ(GetDialogItemAsControl(FrontWindow(), kPrefsTabItem, &tabs), noErr);
        EXPECT_EQ(GetControlMaximum(tabs), 5);
        std::vector<bool> shown;
        for (int page = 1; page <= 6; ++page) shown.push_back(ItemShown(PageItem(page, 1)));
        seen.push_back(shown);
    };
    for (int i = 0; i < 4; ++i) ScriptNavDialog(Cancel(probe));
    // The chooser buttons answer even from a hidden page, so they serve as probes.
    ScriptDialog(kPrefsDialogID, {S::Choose(kPrefsTabItem, 1), S::Click(PageItem(1, 2)), S::Choose(kPrefsTabItem, 5),
                                  S::Click(PageItem(1, 2)), S::Click(kStdCancelItemIndex)});
    OpenPrefsDialog();
    ScriptDialog(kPrefsDialogID, {S::Click(PageItem(1, 2)), S::Choose(kPrefsTabItem, 3), S::Click(PageItem(1, 2)),
                                  S::Click(kStdCancelItemIndex)});
    OpenPrefsDialog();
    const std::vector<std::vector<bool>> expected = {
        {true, false, false, false, false, false}, {false, false, false, false, false, true},
        {false, false, false, false, false, true}, {false, false, true, false, false, false},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(PrefsDialogTest, GridDialogStoresStyleCodeAndColours) {
    using S = DialogStep;
    struct Case { const char* what; std::vector<DialogStep> steps; UInt16 grid; RGBColor pixel, block; };
    const RGBColor black{0, 0, 0}, white{0xFFFF, 0xFFFF, 0xFFFF};
    const std::vector<Case> cases = {
        {"unchanged", {S::Click(kStdOkItemIndex)}, 0x21, black, black},
        {"style 3, no blocks", {S::Choose(3, 3), S::Choose(4, 1), S::Click(kStdOkItemIndex)}, 0x03, black, black},
        {"blocks of 32", {S::Choose(4, 2), S::Click(kStdOkItemIndex)}, 0x11, black, black},
        {"white and picked", {S::Choose(5, 1), S::Choose(6, 3), S::Click(kStdOkItemIndex)}, 0x21, white, kPicked},
        {"style beyond the drawn ones", {S::Choose(3, 5), S::Click(kStdOkItemIndex)}, 0x21, black, black},
        {"cancel", {S::Choose(3, 4), S::Choose(5, 1), S::Click(kStdCancelItemIndex)}, 0x21, black, black},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gToolPrefs = ToolPrefs{};
        if (c.block == kPicked) ScriptColorPicker({true, kPicked, nullptr});
        ScriptDialog(kGridDialogID, c.steps);
        ConfigureGrid();
        EXPECT_EQ(gToolPrefs.gridSetting, c.grid);
        EXPECT_EQ(gToolPrefs.pixelGridColor, c.pixel);
        EXPECT_EQ(gToolPrefs.blockGridColor, c.block);
    }
    // A cancelled colour picker keeps the colour.
    gToolPrefs = ToolPrefs{};
    ScriptColorPicker({false, {}, nullptr});
    ScriptDialog(kGridDialogID, {S::Choose(5, 3), S::Click(kStdOkItemIndex)});
    ConfigureGrid();
    EXPECT_EQ(gToolPrefs.pixelGridColor, black);
}

// Only visible single-layer paint windows follow the start-layer setting.
TEST_F(PrefsDialogTest, BackgroundSettingReachesPlainVisiblePaintWindows) {
    const Rect pic{0, 0, 16, 16};
    WindowRef plain = MakePaintWindow(&pic, 0, 32);
    WindowRef layered = MakePaintWindow(&pic, 0, 32);
    WindowRef hidden = MakePaintWindow(&pic, 0, 32);
    ASSERT_TRUE(plain && layered && hidden);
    ShowWindow(plain);
    ShowWindow(layered);
    HideWindow(hidden);
    GWorldPtr back = nullptr;
    ASSERT_EQ(NewGWorld(&back, 32, &pic, nullptr, nullptr, 0), noErr);
    GetPaintWinRec(layered)->backPort = UniqueGWorld(back);
    for (WindowRef w : {plain, layered, hidden}) GetPaintWinRec(w)->isBackMode = true;
    gOtherPrefs[kOtherStartInBackMode] = 0;
    UpdateBGSetting();
    EXPECT_FALSE(GetPaintWinRec(plain)->isBackMode);
    EXPECT_TRUE(GetPaintWinRec(layered)->isBackMode);
    EXPECT_TRUE(GetPaintWinRec(hidden)->isBackMode);
}

}  // namespace

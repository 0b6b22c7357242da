// A member edited in another application: it goes out as a PNG, an editor
// (here a script that replaces the file with a red picture) saves it, the
// idle pass reads it back into the family, and closing the family deletes
// the file.
#include "app/AppleEvents.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/IconConvert.h"
#include "io/ExternalEditor.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/ui/Scripting.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

TEST(ExternalEditor, AMemberGoesOutAsPngAndComesBackWhenTheEditorSavesIt) {
    TempFolder config, folder, temp;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    setenv("TMPDIR", temp.path().c_str(), 1);
    ASSERT_EQ(InitWindows(1024, 768), noErr);
    SetUnattended(true);
    ASSERT_TRUE(StartUp());

    const std::string red = folder / "red.png";
    ASSERT_TRUE(RunCommand(Python() + " -c \"from PIL import Image; Image.new('RGB', (32, 32), (255, 0, 0)).save('" +
                           red + "')\""));
    const std::string editor = folder / "editor.sh";
    std::ofstream(editor) << "#!/bin/sh\nsleep 0.2\ncp '" << red << "' \"$1\"\n";
    ::chmod(editor.c_str(), 0755);
    gExternalEditor = FileSpecFor(editor);
    isExternalEditorAvailable = true;

    std::filesystem::copy_file(std::string(KORVEL_TEST_DATA) + "/icns/classic.icns", folder / "icon.icns");
    PostOpenDocuments({FileSpecFor(folder / "icon.icns")});
    RunPendingEvents();
    WindowRef w = FrontDocumentWindow();
    FamilyWinRec* family = GetFamilyWinRec(w);
    ASSERT_NE(family, nullptr);
    family->selectedKind = kKindIl32;
    EditFamilyIcon(w, kEditExternal);
    ASSERT_TRUE(IsOpenedByExternalEditor(w, kKindIl32, false));
    const std::string out = temp / "Korvel/Korvel temporary 0.png";
    ASSERT_TRUE(std::filesystem::exists(out));

    Handle member = nullptr;
    auto isRed = [&] {
        return GetDataFromKorvelIcon(&member, family->icon, kKindIl32) == noErr && member &&
               std::string(*member, 4) == std::string("\0\xFF\0\0", 4) &&
               std::string(*member + 4092, 4) == std::string("\0\xFF\0\0", 4);
    };
    EXPECT_FALSE(isRed());
    EventRecord idle{};
    for (int i = 0; i < 300 && !isRed(); ++i) {
        Delay(1, nullptr);
        DoIdleEvent(&idle);
    }
    EXPECT_TRUE(isRed());
    EXPECT_TRUE(family->isDirty);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{});

    family->isDirty = false;
    ASSERT_EQ(CloseDocumentWindow(w, true), noErr);
    EXPECT_FALSE(std::filesystem::exists(out));
    quit = true;
    ShutDown();
    TearDownWindows();
}

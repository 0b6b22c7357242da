// A fixture for tests that run the whole program unattended: started with
// its own preferences folder, and every document window closed without its
// save question when the test ends.
#pragma once

#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "paint/PaintWindow.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/Windows.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        SetUnattended(true);
        ClearScript();
        ASSERT_TRUE(StartUp());
        RunPendingEvents();
        ResetScriptLog();
    }
    void TearDown() override {
        while (WindowRef w = FrontDocumentWindow()) {
            if (PaintWinRec* rec = GetPaintWinRec(w)) rec->isDirty = false;
            if (FamilyWinRec* family = GetFamilyWinRec(w)) family->isDirty = false;
            if (IconFileRec* list = GetIconFileRec(w)) list->isDirty = false;
            if (CloseDocumentWindow(w, true) != noErr) DisposeWindow(w);
        }
        quit = true;
        ShutDown();
        TearDownWindows();
    }
    TempFolder config_;
};

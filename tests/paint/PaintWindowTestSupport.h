// Set-up shared by the paint window tests: a 1024 x 768 desktop, the
// application's resources and palettes, no person to answer dialogs, and no
// document windows left between tests.
#pragma once

#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scripting.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

namespace painttest {

inline void CloseAllDocuments() {
    for (;;) {
        WindowRef doc = nullptr;
        for (WindowRef w = GetWindowList(); w && !doc; w = GetNextWindow(w))
            if (IsDocumentWindowKind(GetExtWindowKind(w))) doc = w;
        if (!doc) break;
        if (PaintWinRec* rec = GetPaintWinRec(doc)) rec->isDirty = false;
        if (GetExtWindowKind(doc) != kPaintWindowKind || ClosePaintWindow(doc, true) != noErr) DisposeWindow(doc);
    }
}

class PaintWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        SetUnattended(true);
        if (GetApplicationResFile() == kResFileNotOpen) {
            ASSERT_EQ(OpenApplicationResources(), noErr);
            gApplRefNum = GetApplicationResFile();
            InitConstants();
            InitGlobals();
            MenuBarInit();
            ToolWindowInit();
        }
    }
    void SetUp() override {
        CloseAllDocuments();
        ClearScript();
        ResetScriptLog();
        savedTools_ = gToolPrefs;
        savedPaint_ = gPaintWinPrefs;
        gToolPrefs.gridSetting = 1;
    }
    void TearDown() override {
        CloseAllDocuments();
        ClearScript();
        gToolPrefs = savedTools_;
        gPaintWinPrefs = savedPaint_;
    }
    static Rect Content(WindowRef w) {
        Rect r;
        GetWindowBounds(w, kWindowContentRgn, &r);
        return r;
    }
    static Rect Port(WindowRef w) {
        Rect r;
        GetWindowPortBounds(w, &r);
        return r;
    }
    // Lets queued Qt work and scripted input play out.
    static void Settle() {
        EventRecord ev;
        for (int i = 0; i < 200 && ScriptPending(); ++i) WaitNextEvent(0, &ev, 1, nullptr);
        WaitNextEvent(0, &ev, 0, nullptr);
    }
    static WindowRef MakePaint(int width, int height, SInt16 ratio, SInt16 depth = 24) {
        const Rect r = MakeRect(0, 0, height, width);
        return MakePaintWindow(&r, ratio, depth);
    }

private:
    ToolPrefs savedTools_;
    PaintWinPrefs savedPaint_;
};

}  // namespace painttest

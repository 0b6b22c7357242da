// Start-up, the main loop and event dispatch by window part and kind.
#include "app/Shell.h"

#include "app/Alerts.h"
#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "app/WindowKinds.h"
#include "icons/IconList.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/DotLibrary.h"
#include "palettes/Prefs.h"
#include "tools/Tools.h"
#include "platform/core/Gestalt.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Menus.h"

#include <cstdlib>
#include <ctime>

Boolean quit = false;
RgnHandle gCurRgnHand = nullptr;
RgnHandle gRulerRgn = nullptr;
GWorldPtr gBlendPalettePtr = nullptr;
SInt16 gApplRefNum = -1;

Boolean isDragMgrPresent = false;
Boolean isAppearanceAvailable = false, isOSX = false, isIconServicesAvailable = false, isTabletAvailable = false;
Boolean is32BitIconsAvailable = false, isThumbnailIconsAvailable = false;
SInt32 gSystemVersion = 0, gCarbonLibVersion = 0;

SInt16 gSelectedTool = 0, gBlendMode = 0, gBSelectedItem = 1, gPenWidth = 1, gPenHeight = 1, gEraserWidth = 2,
       gEraserHeight = 2;
Point gPrevRulerPt{-1, -1};
Boolean gBlendLocked = false;
Rect gToolRect{};

namespace {

Boolean GestaltBit(OSType selector, int bit) {
    SInt32 response = 0;
    return Gestalt(selector, &response) == noErr && (response >> bit) & 1;
}

SInt32 GestaltValue(OSType selector) {
    SInt32 response = 0;
    return Gestalt(selector, &response) == noErr ? response : 0;
}

// The colour mode FixColor works in: the front paint document's, otherwise
// the one new pictures get.
SInt16 FrontColorMode() {
    WindowRef front = FrontDocumentWindow();
    if (GetExtWindowKind(front) == kPaintWindowKind) {
        if (const PaintWinRec* rec = GetPaintWinRec(front)) return rec->colorMode;
    }
    return gPaintWinPrefs.colorMode;
}

}  // namespace

void InitConstants() {
    InitColorGlobals();
    SetColorModeProc(FrontColorMode);
    SetRect(&gToolRect, 3, 3, 32, 25);
}

void InitGlobals() {
    isDragMgrPresent = GestaltBit(FourCC("drag"), 0);
    isAppearanceAvailable = GestaltBit(FourCC("appr"), 0);
    gSystemVersion = GestaltValue(FourCC("sysv"));
    gCarbonLibVersion = GestaltValue(FourCC("cbon"));
    // The layer offers the modern system's services; only its menu layout
    // differs, which the menu bar checks on its own.
    isOSX = gSystemVersion >= 0x1000;
    SInt32 iconAttributes = 0;
    const bool haveIconAttributes = Gestalt(FourCC("icon"), &iconAttributes) == noErr;
    isIconServicesAvailable = haveIconAttributes && (iconAttributes >> 4) & 1;
    is32BitIconsAvailable = haveIconAttributes && (iconAttributes >> 2) & 1;
    isThumbnailIconsAvailable = haveIconAttributes && gSystemVersion > 0x090F;

    gSelectedTool = 0;
    gBlendMode = 0;
    gBSelectedItem = 1;
    gPenWidth = gPenHeight = 1;
    gEraserWidth = gEraserHeight = 2;
    gPatternNo = 1;
    gPrevRulerPt = Point{-1, -1};
    gBlendLocked = false;
    isTabletAvailable = false;
    gIsDialog = false;
    gFrontWindow = nullptr;

    gKeyThreshStore[0] = LMGetKeyThresh();
    gKeyThreshStore[1] = LMGetKeyRepThresh();
    if (!gRulerRgn) gRulerRgn = NewRgn();
}

void ChangeSysSettings() {
    if (gToolPrefs.keyRepeatDelay > 0) LMSetKeyThresh(gToolPrefs.keyRepeatDelay);
    if (gToolPrefs.keyRepeatInterval > 0) LMSetKeyRepThresh(gToolPrefs.keyRepeatInterval);
}

void ResetSysSettings() {
    LMSetKeyThresh(gKeyThreshStore[0]);
    LMSetKeyRepThresh(gKeyThreshStore[1]);
}

namespace {

struct PaletteSpec {
    WindowRef* global;
    SInt16 templateID;
    SInt16 kind;
};

// Creation order of the floating windows.
constexpr PaletteSpec kPalettes[] = {
    {&gToolPalette, 132, kToolPaletteKind},       {&ColorPalette1, 129, kColorPalette1Kind},
    {&ColorPalette2, 130, kColorPalette2Kind},    {&gBlendPalette, 133, kBlendPaletteKind},
    {&TitleWindow, 134, kTitleWindowKind},        {&InfoWindow, 135, kInfoWindowKind},
    {&PatternPalette, 138, kPatternPaletteKind},  {&DotModePalette, 139, kDotModePaletteKind},
    {&FavoritePalette, 140, kFavoritePaletteKind}, {&gPreviewWindow, 131, kPreviewWindowKind},
};

WindowRef PaletteForTemplate(SInt16 templateID) {
    for (const PaletteSpec& p : kPalettes) {
        if (p.templateID == templateID) return *p.global;
    }
    return nullptr;
}

Boolean PointOnDesktop(Point pt) { return PtInRgn(pt, GetGrayRgn()); }

// The saved visibility byte of a palette: -1 without a record.
int SavedVisibility(SInt16 templateID) {
    UInt8 vis = 0;
    if (gPrefFileRefNum == -1) return -1;
    SInt16 saved = CurResFile();
    UseResFile(gPrefFileRefNum);
    OSErr err = LoadDataFromPrefs(&vis, 1, FourCC("WVis"), templateID);
    UseResFile(saved);
    return err == noErr ? vis : -1;
}

}  // namespace

void ToolWindowInit() {
    SInt16 saved = CurResFile();
    if (gApplRefNum != -1) UseResFile(gApplRefNum);
    for (const PaletteSpec& p : kPalettes) {
        *p.global = GetNewFloatingWindow(p.templateID, p.kind, nullptr);
        if (!*p.global) {
            UseResFile(saved);
            ErrorAlertFromResource(kPaletteErrStrings, 1);
            quit = true;
            return;
        }
    }
    UseResFile(saved);

    if (gPrefFileRefNum == -1) {
        for (WindowRef w : {ColorPalette1, ColorPalette2, gToolPalette, gBlendPalette, TitleWindow, InfoWindow,
                            PatternPalette}) {
            ShowHidePalette(w, true);
        }
        ShowHidePalette(FavoritePalette, false);
        UpdateDispMenu();
        return;
    }

    SInt16 current = CurResFile();
    UseResFile(gPrefFileRefNum);
    for (SInt16 id : {129, 130, 131, 132, 133, 134, 135, 138, 139, 140}) {
        UInt8 bytes[4];
        if (LoadDataFromPrefs(bytes, 4, FourCC("WPOS"), id) != noErr) continue;
        Point pt{SInt16((bytes[0] << 8) | bytes[1]), SInt16((bytes[2] << 8) | bytes[3])};
        WindowRef w = PaletteForTemplate(id);
        if (w && PointOnDesktop(pt)) MoveWindow(w, pt.h, pt.v, false);
    }
    UseResFile(current);

    for (SInt16 id : {129, 130, 132, 133, 134, 135}) {
        ShowHidePalette(PaletteForTemplate(id), SavedVisibility(id) != 0);
    }
    ShowHidePalette(FavoritePalette, SavedVisibility(140) > 0);
    if (gOtherPrefs[kOtherLargePatterns]) SizeWindow(PatternPalette, 163, 67, false);
    ShowHidePalette(PatternPalette, SavedVisibility(138) != 0);
    UpdateDispMenu();
}

namespace {

void AEInit() {
    // Documents named on the command line arrive as the open-documents
    // request; quitting from the window manager as the quit request. Both are
    // routed by RunApplication, so there is nothing to install here.
}

Boolean GWorldInit() {
    Rect bounds;
    GetWindowPortBounds(gBlendPalette, &bounds);
    OffsetRect(&bounds, SInt16(-bounds.left), SInt16(-bounds.top));
    if (NewGWorld(&gBlendPalettePtr, 8, &bounds, nullptr, nullptr, useTempMem) != noErr) return false;
    DrawBlend();
    return true;
}

}  // namespace

Boolean StartUp() {
    quit = false;
    gApplRefNum = OpenApplicationResources() == noErr ? GetApplicationResFile() : -1;
    InitConstants();
    InitGlobals();
    if (gSystemVersion < 0x0810 || gCarbonLibVersion < 0x0102) {
        ErrorAlertFromResource(kStartupErrStrings, 3);
        return false;
    }
    LoadPrefFile();
    MenuBarInit();
    ToolWindowInit();
    if (quit) return false;
    AEInit();
    gCurRgnHand = NewRgn();
    if (!GWorldInit()) {
        ErrorAlertFromResource(kStartupErrStrings, 2);
        return false;
    }
    InitTools();
    DotLibInit();
    RemoveStaleWorkingFiles();
    ChangeSysSettings();
    std::srand(unsigned(std::time(nullptr)));
    InitCursor();
    UpdateMenus();
    return true;
}

void ShutDown() {
    ResetSysSettings();
    if (gBlendPalettePtr) {
        DisposeGWorld(gBlendPalettePtr);
        gBlendPalettePtr = nullptr;
    }
    if (gRulerRgn) {
        DisposeRgn(gRulerRgn);
        gRulerRgn = nullptr;
    }
    if (gCurRgnHand) {
        DisposeRgn(gCurRgnHand);
        gCurRgnHand = nullptr;
    }
    // SavePrefFile tells the user when the settings cannot be written.
    if (gPrefFileRefNum != -1) (void)SavePrefFile();
    CloseDotLib();
}

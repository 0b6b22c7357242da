#include "app/CursorUpdate.h"

#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/BlendPalette.h"
#include "palettes/Prefs.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"
#include "tools/Tools.h"

#include <algorithm>

SInt16 gCrsrID = kArrowCursorID;
CursData gCursData;

namespace {

constexpr SInt16 kScrollBarWidth = 15;

// The platform's cursor seed when this file last set the cursor: any other
// setter (a tool's tracking loop, a dialog) changes it, and then the cursor
// in gCrsrID is no longer the one shown.
UInt32 gShownSeed = 0;
bool gShownValid = false;

bool StillShown(SInt16 id) { return gShownValid && gCrsrID == id && GetCursorSeed() == gShownSeed; }

void NoteShown(SInt16 id) {
    gCrsrID = id;
    gShownSeed = GetCursorSeed();
    gShownValid = true;
}

// Cursors come from the application's own resources, never from a document
// that happens to be the current resource file.
class AppResources {
public:
    AppResources() : saved_(CurResFile()) {
        if (gApplRefNum != -1) UseResFile(gApplRefNum);
    }
    ~AppResources() { UseResFile(saved_); }
    AppResources(const AppResources&) = delete;
    AppResources& operator=(const AppResources&) = delete;

private:
    SInt16 saved_;
};

void ArrowRegionAndCursor() {
    MakeArrowCursorRgn();
    MySetCursor(kArrowCursorID);
}

// The footprint: `width` set bits from the left in each of the top `height` rows.
void FootprintRows(SInt16 width, SInt16 height, UInt16 rows[16]) {
    const UInt16 row = UInt16(0xFFFF << (16 - width));
    for (int v = 0; v < 16; ++v) rows[v] = v < height ? row : 0;
}

void UpdateCursorInPaintWindow(WindowRef window, Point local, Point globalPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    Rect area;
    GetPortBounds(GetWindowPort(window), &area);
    area.right = SInt16(std::max<int>(area.left, area.right - kScrollBarWidth));
    area.bottom = SInt16(std::max<int>(area.top, area.bottom - kScrollBarWidth));
    if (!rec || !PtInRect(local, &area)) {
        MakeArrowCursorRgn();
        if (gCurRgnHand) {
            // Only entering the image area matters: the strips keep the arrow.
            Rect global = area;
            OffsetRect(&global, SInt16(globalPt.h - local.h), SInt16(globalPt.v - local.v));
            UniqueRgn image;
            RectRgn(image, &global);
            DiffRgn(gCurRgnHand, image, gCurRgnHand);
        }
        MySetCursor(kArrowCursorID);
        return;
    }
    if (gCurRgnHand) SetEmptyRgn(gCurRgnHand);
    const UInt32 mods = GetCurrentKeyModifiers();
    const bool command = mods & cmdKey, option = mods & optionKey, control = mods & controlKey;
    if (command && option) {
        MySetCursor(kHandCursorID);
        return;
    }
    if (gSelectedTool == kSelectionTool) {
        if (PtInRgn(local, rec->selDispRgn)) MySetCursor(option ? kSelectCopyCursorID : kSelectOverCursorID);
        else MySetCursor(kSelectOutsideCursorID);
        return;
    }
    switch (option ? SInt16(kEyedropperTool) : gSelectedTool) {
    case kEraserTool:
        SetPenCursor(1);
        break;
    case kPencilTool:
        if (!command) SetPenCursor(0);
        else if (gToolPrefs.commandClickErases && !control) SetPenCursor(1);
        else MySetCursor(kDotPencilCursorID);
        break;
    case kEyedropperTool:
        MySetCursor(EyedropperCursorID());
        break;
    default:
        MySetCursor(SInt16(kPencilCursorID + gSelectedTool));
        break;
    }
}

void UpdateCursorInFavoritePalette(WindowRef window, Boolean command) {
    // A click picks a colour; with Command it removes the entry instead.
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    if (gCurRgnHand) RectRgn(gCurRgnHand, &content);
    MySetCursor(command ? SInt16(kArrowCursorID) : EyedropperCursorID());
}

}  // namespace

SInt16 EyedropperCursorID() { return gToolPrefs.eyedropperCursor ? kEyedropperCrossCursorID : kEyedropperCursorID; }

void MySetCursor(SInt16 id) {
    if (id == kFootprintCursorID || StillShown(id)) return;
    if (id != kArrowCursorID) {
        AppResources app;
        if (CursHandle c = GetCursor(id)) {
            SetCursor(*c);
            NoteShown(id);
            return;
        }
        // A cursor missing from the resources shows as the arrow.
    }
    Cursor arrow;
    SetCursor(GetQDGlobalsArrow(&arrow));
    NoteShown(kArrowCursorID);
}

OSErr SetPenCursorMain(SInt16 width, SInt16 height, const RGBColor& color) {
    if (width < 1 || width > 16 || height < 1 || height > 16) return paramErr;
    const bool colored = gToolPrefs.colorFootprintCursor != 0;
    if (StillShown(kFootprintCursorID) && gCursData.width == width && gCursData.height == height &&
        gCursData.color == color && gCursData.colored == colored)
        return noErr;
    UInt16 rows[16];
    FootprintRows(width, height, rows);
    const Point hotSpot{SInt16(height / 2), SInt16(width / 2)};
    if (!colored) {
        // No mask: the footprint inverts what lies under it.
        Cursor footprint{};
        std::copy(rows, rows + 16, footprint.data);
        footprint.hotSpot = hotSpot;
        SetCursor(&footprint);
    } else {
        UniqueCCrsr footprint;
        {
            AppResources app;
            footprint = GetCCursor(kPenColorCursorID);
        }
        if (!footprint) return resNotFound;
        footprint->crsrColors[1] = color;
        for (int v = 0; v < 16; ++v)
            for (int b = 0; b < 4; ++b) {
                // Two bits a pixel, value 1 inside the footprint.
                UInt8 byte = 0;
                for (int k = 0; k < 4; ++k)
                    if ((rows[v] >> (15 - (4 * b + k))) & 1) byte = UInt8(byte | (1 << (6 - 2 * k)));
                footprint->crsrData[v][b] = byte;
            }
        std::copy(rows, rows + 16, footprint->crsr1Data);
        std::copy(rows, rows + 16, footprint->crsrMask);
        footprint->crsrHotSpot = hotSpot;
        SetCCursor(footprint.get());
    }
    gCursData = CursData{width, height, color, colored};
    NoteShown(kFootprintCursorID);
    return noErr;
}

void SetPenCursor(SInt16 which) {
    const SInt16 fallback = which == 0 ? kPencilCursorID : kEraserCursorID;
    if (!gToolPrefs.footprintCursor) {
        MySetCursor(fallback);
        return;
    }
    const PaintWinRec* front = GetPaintWinRec(FrontDocumentWindow());
    const int r = front ? std::clamp<int>(front->ratio, 0, 4) : 0;
    const int width = (which == 0 ? gPenWidth : gEraserWidth) << r;
    const int height = (which == 0 ? gPenHeight : gEraserHeight) << r;
    const RGBColor& color = which == 0 ? gCurrentColor.rgb : gBackColor.rgb;
    if (width > 16 || height > 16 || SetPenCursorMain(SInt16(width), SInt16(height), color) != noErr)
        MySetCursor(fallback);
}

void MakeArrowCursorRgn() {
    if (!gCurRgnHand) return;
    CopyRgn(GetGrayRgn(), gCurRgnHand);
    for (WindowRef palette : {ColorPalette1, ColorPalette2, gBlendPalette}) {
        if (!palette || !IsWindowVisible(palette)) continue;
        Rect content;
        GetWindowBounds(palette, kWindowContentRgn, &content);
        UniqueRgn inside;
        RectRgn(inside, &content);
        DiffRgn(gCurRgnHand, inside, gCurRgnHand);
    }
}

void UpdateMouseCursor(Point globalPt) {
    DrawRuler(globalPt);  // the crosshair follows the mouse while the rulers are on
    WindowRef window = nullptr;
    const WindowPartCode part = FindWindow(globalPt, &window);
    if (!window) {
        ArrowRegionAndCursor();
        return;
    }
    Point local = globalPt;
    Rect port;
    {
        SavedGWorld saved;
        SetPortWindowPort(window);
        GlobalToLocal(&local);
        GetPortBounds(GetWindowPort(window), &port);
    }
    if (part != inContent || local.h < port.left || local.v < port.top || !IsWindowHilited(window)) {
        ArrowRegionAndCursor();
        return;
    }
    switch (GetExtWindowKind(window)) {
    case kPaintWindowKind:
        UpdateCursorInPaintWindow(window, local, globalPt);
        break;
    case kColorPalette1Kind:
    case kColorPalette2Kind: {
        Rect content;
        GetWindowBounds(window, kWindowContentRgn, &content);
        if (gCurRgnHand) RectRgn(gCurRgnHand, &content);
        MySetCursor(EyedropperCursorID());
        break;
    }
    case kBlendPaletteKind:
        UpdateCursorInBlendPalette(globalPt);
        break;
    case kFamilyWindowKind:
        // Every movement reports, so the text cursor follows the name field.
        if (gCurRgnHand) SetEmptyRgn(gCurRgnHand);
        UpdateCursorInFamilyWindow(window, local);
        break;
    case kFavoritePaletteKind:
        UpdateCursorInFavoritePalette(window, (GetCurrentKeyModifiers() & cmdKey) != 0);
        break;
    default:
        ArrowRegionAndCursor();
        break;
    }
}

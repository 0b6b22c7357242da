// Paint windows: making them with their records, composing and titling the
// document, placing and sizing the window, and closing.
#include "paint/PaintWindow.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "io/SavePaint.h"
#include "paint/PaintDrag.h"
#include "paint/PaintView.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr SInt16 kPaintWindowTemplate = 128;
constexpr SInt16 kScrollTitleStrings = 159;
constexpr SInt16 kTitleStrings = 135;
constexpr SInt16 kIconTitleStrings = 130;
constexpr SInt16 kUntitledStrings = 132;
constexpr SInt16 kSuffixStrings = 131;

// The records of the open paint windows; a window's refCon points into here.
std::map<WindowRef, std::unique_ptr<PaintWinRec>>& Records() {
    static std::map<WindowRef, std::unique_ptr<PaintWinRec>> records;
    return records;
}

SInt16 gUntitledPictNum = 1;
SInt16 gUntitledPNGNum = 1;

Rect DesktopBounds() {
    Rect desk{};
    if (RgnHandle gray = GetGrayRgn()) GetRegionBounds(gray, &desk);
    return desk;
}

Rect ContentBounds(WindowRef window) {
    Rect r{};
    GetWindowBounds(window, kWindowContentRgn, &r);
    return r;
}

std::string IndString(SInt16 listID, SInt16 index) {
    Str255 s;
    GetIndString(s, listID, index);
    return PStringToStd(s);
}

void ReplaceAll(std::string* text, std::string_view key, std::string_view value) {
    for (size_t at = text->find(key); at != std::string::npos; at = text->find(key, at + value.size())) {
        text->replace(at, key.size(), value);
    }
}

void DisposeScrollBars(PaintWinRec* rec) {
    if (rec->hScroll) DisposeControl(rec->hScroll);
    if (rec->vScroll) DisposeControl(rec->vScroll);
    rec->hScroll = rec->vScroll = nullptr;
}

void DisposeRecord(WindowRef window) {
    auto& records = Records();
    auto it = records.find(window);
    if (it == records.end()) return;
    DisposeScrollBars(it->second.get());
    records.erase(it);
    SetWRefCon(window, nullptr);
}

}  // namespace

PaintWinRec* GetPaintWinRec(WindowRef window) {
    if (!window || GetExtWindowKind(window) != kPaintWindowKind) return nullptr;
    auto& records = Records();
    auto it = records.find(window);
    return it == records.end() ? nullptr : it->second.get();
}

void MakeUntitledFileName(OSType fileType, Str255 name) {
    SInt16* counter = nullptr;
    SInt16 suffixItem = 0;
    if (fileType == FourCC("PICT")) {
        counter = &gUntitledPictNum;
        suffixItem = 1;
    } else if (fileType == FourCC("PNGf")) {
        counter = &gUntitledPNGNum;
        suffixItem = 2;
    }
    std::string text = IndString(kUntitledStrings, 1);
    if (counter) {
        if (*counter > 1) text += " " + std::to_string(*counter);
        text += IndString(kSuffixStrings, suffixItem);
        if (*counter < 32767) ++*counter;
    }
    // File names of documents hold at most 63 bytes.
    CopyCStringToPascal(TruncateUtf8(text, 63), name, 63);
}

void SetEditWindowTitle(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    const std::string name = PStringToStd(rec->fileSpec.name);
    std::string title;
    if (rec->fileType == FourCC("icns")) {
        title = IndString(kIconTitleStrings, SInt16(rec->iconKind + 2)) + IndString(kIconTitleStrings, 1) + name;
    } else {
        title = IndString(kTitleStrings, 1);
        ReplaceAll(&title, "^0", name);
        ReplaceAll(&title, "^1", std::to_string(rec->depth));
    }
    Str255 ptitle;
    CopyCStringToPascal(TruncateUtf8(title, 255), ptitle);
    SetWTitle(window, ptitle);
}

void StackWindowPos(Point* pos, Point step, const Rect* limits) {
    // The document windows' content corners, taken once.
    std::vector<Point> corners;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (!IsWindowVisible(w) || !IsDocumentWindowKind(GetExtWindowKind(w))) continue;
        const Rect c = ContentBounds(w);
        corners.push_back(Point{c.top, c.left});
    }
    auto occupied = [&](Point p) {
        for (Point c : corners)
            if (c == p) return true;
        return false;
    };
    // Past as many occupied places as there are windows the walk can only be
    // going round a circle of them, so it stops there at the latest.
    const Point start = *pos;
    for (size_t tries = 0; tries <= corners.size() && occupied(*pos); ++tries) {
        pos->v = SInt16(pos->v + step.v);
        pos->h = SInt16(pos->h + step.h);
        if (pos->v > limits->bottom) pos->v = limits->top;
        if (pos->h > limits->right) pos->h = limits->left;
        if (*pos == start) break;
    }
}

void SetPaintWindowSize(WindowRef window, const Rect* picRect, SInt16 ratio) {
    const Rect desk = DesktopBounds();
    const Rect content = ContentBounds(window);
    int width = (RectWidth(*picRect) << ratio) + 15;
    int height = (RectHeight(*picRect) << ratio) + 15;
    RgnHandle gray = GetGrayRgn();
    const Point topRight{content.top, SInt16(std::min(content.left + width, 32767))};
    // A window placed far out still keeps room for its corner and scroll bars.
    if (!gray || !PtInRgn(topRight, gray)) width = std::max(desk.right - 80 - content.left, 64);
    const Point bottomLeft{SInt16(std::min(content.top + height, 32767)), content.left};
    if (!gray || !PtInRgn(bottomLeft, gray)) height = std::max(desk.bottom - 40 - content.top, 64);
    width = std::min(width, 32767);
    height = std::min(height, 32767);
    SizeWindow(window, SInt16(width), SInt16(height), false);
}

OSErr InitPaintWinRec(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    OSErr err = MakePaintBuffers(rec);
    if (err != noErr) return err;

    Rect port;
    GetWindowPortBounds(window, &port);
    const SInt16 procID = isAppearanceAvailable ? kControlScrollBarLiveProc : scrollBarProc;
    Str255 title;
    GetIndString(title, kScrollTitleStrings, 1);
    const Rect hRect{SInt16(port.bottom - 15), SInt16(port.left + 42), SInt16(port.bottom + 1),
                     SInt16(port.right - 14)};
    rec->hScroll = NewControl(window, &hRect, title, true, 0, 0, 0, procID, reinterpret_cast<SRefCon>(1));
    GetIndString(title, kScrollTitleStrings, 2);
    const Rect vRect{SInt16(port.top - 1), SInt16(port.right - 15), SInt16(port.bottom - 14),
                     SInt16(port.right + 1)};
    rec->vScroll = NewControl(window, &vRect, title, true, 0, 0, 0, procID, reinterpret_cast<SRefCon>(2));
    if (!rec->hScroll || !rec->vScroll) {
        DisposeScrollBars(rec);
        PaintWinRec fresh;  // gives back the buffers and regions
        std::swap(rec->offPort, fresh.offPort);
        std::swap(rec->undoPort, fresh.undoPort);
        std::swap(rec->basePort, fresh.basePort);
        std::swap(rec->dispPort, fresh.dispPort);
        std::swap(rec->maskPort, fresh.maskPort);
        std::swap(rec->undoMask, fresh.undoMask);
        std::swap(rec->baseMask, fresh.baseMask);
        return memFullErr;
    }
    SetScrollBarMax(window);
    return noErr;
}

WindowRef MakePaintWindow(const Rect* picRect, SInt16 ratio, SInt16 depth) {
    if (!picRect || EmptyRect(picRect)) return nullptr;
    const Rect desk = DesktopBounds();
    const SInt16 savedRes = CurResFile();
    if (gApplRefNum >= 0) UseResFile(gApplRefNum);
    WindowRef window = GetNewCWindow(kPaintWindowTemplate, nullptr, kFirstWindowOfClass);
    UseResFile(savedRes);
    if (!window) return nullptr;

    const Rect pic{0, 0, SInt16(RectHeight(*picRect)), SInt16(RectWidth(*picRect))};
    ratio = FitRatio(&pic, ratio);
    SetExtWindowKind(window, kPaintWindowKind);
    SetPaintWindowSize(window, &pic, ratio);

    Rect content = ContentBounds(window);
    const Rect limits{113, 42, SInt16(desk.bottom - RectHeight(content) + 40),
                      SInt16(desk.right - RectWidth(content) + 80)};
    Point pos{113, 42};
    StackWindowPos(&pos, Point{30, 20}, &limits);
    MoveWindow(window, pos.h, pos.v, false);
    SetPaintWindowSize(window, &pic, ratio);

    auto owned = std::make_unique<PaintWinRec>();
    PaintWinRec* rec = owned.get();
    rec->picRect = pic;
    rec->ratio = ratio;
    rec->colorMode = depth;
    rec->depth = depth;
    Records()[window] = std::move(owned);
    SetWRefCon(window, rec);

    if (InitPaintWinRec(window) != noErr) {
        DisposeRecord(window);
        DisposeWindow(window);
        return nullptr;
    }
    // No drag is over a new window.
    rec->dragHilite[0] = rec->dragHilite[1] = false;
    (void)InstallPaintWinDragHandlers(window);  // without them the window takes no drops

    ShowWindow(window);
    FitPreviewWindow(window);
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    InvalWindowRect(window, &port);
    return window;
}

void DispOffPort(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    ComposeDispPort(rec);
    if (window == FrontDocumentWindow() && gPreviewWindow) InvalWindowRgn(gPreviewWindow, rec->updateRgn);
    UniqueRgn zoomed;
    CopyRgn(rec->updateRgn, zoomed);
    MapRgn(zoomed, &rec->picRect, &rec->dispRect);
    InvalWindowRgn(window, zoomed);
    if (gToolPrefs.showRuler) gPrevRulerPt = Point{-1, -1};
}

OSErr ClosePaintWindow(WindowRef window, Boolean quitting) {
    const SInt16 kind = GetExtWindowKind(window);
    if (kind != kPaintWindowKind) {
        // Icon list and icon family windows close through their own windows' code.
        if (kind == kIconListWindowKind || kind == kFamilyWindowKind) {
            UpdateMenus();
            gIsDialog = false;
            gFrontWindow = nullptr;
        }
        return noErr;
    }
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    if (rec->isDirty) {
        const SInt16 documentItem = rec->parentWindow ? kIconMemberDocumentItem : kPictureDocumentItem;
        switch (AskSaveChanges(documentItem, rec->fileSpec.name, quitting)) {
        case kStdCancelItemIndex: return userCanceledErr;
        case kStdOkItemIndex: {
            SelectWindow(window);
            const OSErr err = SavePaintWindow(window, 0, 0);
            if (err != noErr) return err;
            break;
        }
        default: break;
        }
    }
    if (gPrevRulerPt.h != -1 && window == FrontDocumentWindow()) ResetRuler();
    RemovePaintWinDragHandlers(window);
    DisposeRecord(window);
    DisposeWindow(window);
    UpdateMenus();
    gIsDialog = false;
    gFrontWindow = nullptr;
    return noErr;
}


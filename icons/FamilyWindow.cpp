// The icon-family window: making it, drawing it, its title, cursor, caret and
// zoom box. Clicks and keys are in FamilyInput.cpp, the preview window in
// FamilyPreview.cpp.
//
// The record is made with make_unique and handed to the window's reference
// constant; DisposeFamilyWindow takes it back. The name field draws into the
// window's port, which is how a record finds its window.
#include "icons/FamilyWindow.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindowInternal.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Text.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"

#include <memory>

namespace {

constexpr SInt16 kFamilyWindowTemplate = 137;
constexpr SInt16 kFamilyArtPicture = 140;
constexpr SInt16 kFamilyTitleStrings = 139;
constexpr SInt16 kCustomIconTitleItem = 3, kUntitledIconTitleItem = 4;
constexpr SInt16 kNameTextSize = 9;
constexpr SInt16 kWideWidth = 295, kTallHeight = 292;
// Room below the small members' frames before the thumbnail labels begin.
constexpr SInt16 kThumbnailLabelGap = 8;
constexpr Point kFirstWindowPlace{113, 42};  // (v, h)

// The application's resources, whatever file is current.
class AppResFile {
public:
    AppResFile() : saved_(CurResFile()) {
        if (gApplRefNum != -1) UseResFile(gApplRefNum);
    }
    ~AppResFile() { UseResFile(saved_); }
    AppResFile(const AppResFile&) = delete;
    AppResFile& operator=(const AppResFile&) = delete;

private:
    SInt16 saved_;
};

// The content size the window has with the 32-bit members shown, or none
// ({0, 0}) when the window never widens for this source.
Point WideSize(OSType sourceType) {
    if (!isIconServicesAvailable) return {0, 0};
    // Windows icons carry 32-bit images with alpha and 128-pixel images too.
    if (sourceType == kSourceCustomIcon || sourceType == kSourceIconFamilyFile || sourceType == kSourceWinIcon ||
        sourceType == 0)
        return {isThumbnailIconsAvailable ? kTallHeight : kFamilyWindowHeight, kWideWidth};
    if (sourceType == kSourceIconList) return {kFamilyWindowHeight, kWideWidth};
    return {0, 0};
}

void ResizeFamilyWindow(WindowRef window, SInt16 width, SInt16 height) {
    SizeWindow(window, width, height, false);
    SavedGWorld saved;
    SetPortWindowPort(window);
    Rect port;
    GetWindowPortBounds(window, &port);
    ClipRect(&port);
    InvalWindowRect(window, &port);
}

void PlaceFamilyWindow(WindowRef window, Point start) {
    Rect desk{};
    GetRegionBounds(GetGrayRgn(), &desk);
    Rect content{};
    GetWindowBounds(window, kWindowContentRgn, &content);
    // The walk wraps to the top of the desktop before the window would run
    // past its bottom (or right) edge.
    const Rect limits{SInt16(desk.top + kDocumentTitleBarHeight), SInt16(desk.left + kWindowBorder),
                      SInt16(desk.bottom - RectHeight(content) - kWindowBorder),
                      SInt16(desk.right - RectWidth(content) - kWindowBorder)};
    Point pos = start;
    StackWindowPos(&pos, Point{30, 20}, &limits);
    MoveWindow(window, pos.h, pos.v, false);
}

}  // namespace

WindowRef FamilyWindowOf(const FamilyWinRec* family) {
    return family && family->nameTE ? GetWindowFromPort(TEGetPort(family->nameTE)) : nullptr;
}

SInt16 LastShownKind(const FamilyWinRec& family, WindowRef window) {
    SInt16 last = LastVisibleKind(family);
    if (!window) return last;
    Rect port;
    GetWindowPortBounds(window, &port);
    // A member is only walked to when its place lies inside the window.
    while (last >= 0 && (familyIconRect[size_t(last)].bottom > port.bottom ||
                         familyIconRect[size_t(last)].right > port.right))
        --last;
    return last;
}

WindowRef MakeFamilyWindow(Point position, Boolean show32, const FSSpec* fileSpec, OSType sourceType,
                           const KorvelIcon& icon, ConstStr255Param name) {
    WindowRef window;
    {
        AppResFile app;
        window = GetNewCWindow(kFamilyWindowTemplate, nullptr, kFirstWindowOfClass);
    }
    if (!window) return nullptr;
    SetExtWindowKind(window, kFamilyWindowKind);
    auto owned = std::make_unique<FamilyWinRec>();
    FamilyWinRec* family = owned.get();

    family->show32 = false;
    family->undoMode = 0;
    family->undoKind = -1;
    family->undoData = nullptr;
    family->winWidth = kFamilyWindowWidth;
    family->winHeight = kFamilyWindowHeight;
    family->selectedKind = -1;
    family->isDirty = false;
    // The wide size is kept even when the window starts narrow, so that the
    // zoom box can show the 32-bit members of a family that has none yet.
    const Point wide = WideSize(sourceType);
    if (wide.h > 0) {
        family->winWidth = wide.h;
        family->winHeight = wide.v;
        if (show32) {
            family->show32 = true;
            ResizeFamilyWindow(window, wide.h, wide.v);
        }
    }
    PlaceFamilyWindow(window, position.v > 0 || position.h > 0 ? position : kFirstWindowPlace);

    SavedGWorld saved;
    SetPortWindowPort(window);
    TextFont(applFont);
    TextSize(kNameTextSize);
    family->nameTE = TENew(familyNameTERect, familyNameTERect);
    if (!family->nameTE) {
        DisposeWindow(window);
        return nullptr;
    }

    family->parentList = nullptr;
    if (fileSpec) {
        family->fileSpec = *fileSpec;
    } else {
        family->fileSpec = FSSpec{};
        const std::string text = name ? PStringToStd(name) : std::string();
        CopyCStringToPascal(TruncateUtf8(text, 63), family->fileSpec.name, 63);
    }
    family->sourceType = sourceType;
    family->isFolder = false;
    family->hasFile = true;
    family->icon = icon;
    family->resID = kCustomIconResID;
    if (name) PStrCopy(name, family->familyName);
    else family->familyName[0] = 0;
    SetWRefCon(window, owned.release());
    (void)InstallFamilyDragHandlers(window);  // without them the window takes no drops

    TEActivate(family->nameTE);
    TESetText(family->familyName + 1, family->familyName[0], family->nameTE);
    TESetSelect(0, 32767, family->nameTE);
    SetIconFamilyWinTitle(window);
    ShowWindow(window);
    SelectWindow(window);
    InvalWindow(window);
    UpdateMenus();
    return window;
}

void DisposeFamilyWindow(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (family) {
        std::unique_ptr<FamilyWinRec> owned(family);
        RemoveFamilyDragHandlers(window);
        SetWRefCon(window, nullptr);
        if (family->undoData) DisposeHandle(family->undoData);
        (void)DisposeKorvelIcon(&family->icon);
        TEDispose(family->nameTE);
    }
    DisposeWindow(window);
}

void UpdateFamilyWindow(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    if (PicHandle art = [] {
            AppResFile app;
            return GetResource(FourCC("PICT"), kFamilyArtPicture);
        }()) {
        Rect frame;
        QDGetPictureBounds(art, &frame);
        OffsetRect(&frame, SInt16(-frame.left), SInt16(-frame.top));
        // A window too short for the thumbnails would show the tops of their
        // labels: the art stops below the small members then.
        Rect port;
        GetWindowPortBounds(window, &port);
        const SInt16 thumbnailTop = familyIconRect[size_t(kKindIt32)].top;
        if (port.bottom < thumbnailTop) {
            Rect above = port;
            above.bottom = SInt16(familyIconRect[size_t(kKindIs32)].bottom + kThumbnailLabelGap);
            ClipRect(&above);
        }
        DrawPicture(art, &frame);
        ClipRect(&port);
    }
    const SInt16 last = LastShownKind(*family, window);
    for (SInt16 kind = 0; kind <= last; ++kind) DisplayFamilyIcon(family, kind);
    Rect port;
    GetWindowPortBounds(window, &port);
    TEUpdate(port, family->nameTE);
}

void DisplayFamilyIcon(FamilyWinRec* family, SInt16 kind) {
    if (!family || kind < 0 || kind >= kIconKindCount) return;
    WindowRef window = FamilyWindowOf(family);
    if (!window) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    PenNormal();
    const Rect& place = familyIconRect[size_t(kind)];
    Rect r = place;
    InsetRect(&r, -2, -2);
    // Erased whether selected or not, so that no part of an earlier look (a
    // grey absent member, an old frame) stays between picture and frame.
    EraseRect(&r);
    if (PicHandle pic = KorvelIconToPicture(family->icon, kind)) {
        DrawPicture(pic, &place);
        KillPicture(pic);
    } else {
        Pattern gray;
        FillRect(&r, GetQDGlobalsGray(&gray));
    }
    if (kind == family->selectedKind) FrameRect(&r);
}

void RedrawFamilyMember(FamilyWinRec* family, SInt16 kind) {
    WindowRef window = FamilyWindowOf(family);
    if (!window || kind < 0 || kind > LastShownKind(*family, window)) return;
    DisplayFamilyIcon(family, kind);
    Rect r = familyIconRect[size_t(kind)];
    InsetRect(&r, -2, -2);
    UniqueRgn shown;
    RectRgn(shown, &r);
    QDFlushPortBuffer(GetWindowPort(window), shown);
}

void SetIconFamilyWinTitle(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return;
    Str255 title{};
    {
        AppResFile app;
        switch (family->sourceType) {
        case kSourceCustomIcon:
            GetIndString(title, kFamilyTitleStrings, kCustomIconTitleItem);
            PStrCat(title, family->fileSpec.name);
            break;
        case kSourceIconFamilyFile:
        case kSourceWinIcon:
        case kSourceIconList:
            PStrCopy(family->fileSpec.name, title);
            break;
        default:
            GetIndString(title, kFamilyTitleStrings, kUntitledIconTitleItem);
            break;
        }
    }
    SetWTitle(window, title);
}

void UpdateCursorInFamilyWindow(WindowRef window, Point localPt) {
    if (!GetFamilyWinRec(window)) return;
    if (PtInRect(localPt, &familyNameTERect)) {
        UseCursor(iBeamCursor);
    } else {
        Cursor arrow;
        SetCursor(GetQDGlobalsArrow(&arrow));
    }
}

void DoFamilyWindowIdle(WindowRef window) {
    if (FamilyWinRec* family = GetFamilyWinRec(window)) TEIdle(family->nameTE);
}

void ToggleFamilyWindowZoom(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    // A window whose source holds no 32-bit members has no other size to zoom to.
    if (!family || !isIconServicesAvailable || family->winWidth <= kFamilyWindowWidth) return;
    family->show32 = !family->show32;
    if (family->show32) {
        ResizeFamilyWindow(window, family->winWidth, family->winHeight);
    } else {
        ResizeFamilyWindow(window, kFamilyWindowWidth, kFamilyWindowHeight);
        // A member that is no longer shown cannot stay selected: keys would act on it unseen.
        if (family->selectedKind > LastShownKind(*family, window)) SelectFamilyMember(family, -1);
    }
}

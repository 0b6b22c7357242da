// The preview window while an icon document is in front: the selected member
// as the file browser shows it, at both sizes and in the browser's states
// (normal, selected, open, offline), or the 128-pixel thumbnail.
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/icons/PlotIcons.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "app/Shell.h"
#include "image/Colors.h"

#include <array>
#include <initializer_list>

namespace {

constexpr SInt16 kPreviewPicture = 141, kThumbnailPreviewPicture = 142;
constexpr Rect kThumbnailPreviewRect{23, 0, 151, 128};

enum : SInt16 { kBackWhite = 1, kBackGray = 2, kBackBlack = 3, kBackDesktop = 4 };

// Which 1-bit member must be present for a row of the preview.
enum class Needs { Nothing, Large1Bit, Small1Bit };
struct PreviewCell {
    Rect rect;
    IconTransformType transform;
    Needs needs;
};
constexpr std::array<PreviewCell, 12> iconPreviewRect = {{
    {{7, 8, 39, 40}, kTransformNone, Needs::Nothing},
    {{7, 46, 39, 78}, kTransformSelected, Needs::Nothing},
    {{23, 83, 39, 99}, kTransformNone, Needs::Nothing},
    {{23, 103, 39, 119}, kTransformSelected, Needs::Nothing},
    {{63, 8, 95, 40}, kTransformOpen, Needs::Large1Bit},
    {{63, 46, 95, 78}, kTransformSelectedOpen, Needs::Large1Bit},
    {{119, 8, 151, 40}, kTransformOffline, Needs::Large1Bit},
    {{119, 46, 151, 78}, kTransformSelectedOffline, Needs::Large1Bit},
    {{79, 83, 95, 99}, kTransformOpen, Needs::Small1Bit},
    {{79, 103, 95, 119}, kTransformSelectedOpen, Needs::Small1Bit},
    {{135, 83, 151, 99}, kTransformOffline, Needs::Small1Bit},
    {{135, 103, 151, 119}, kTransformSelectedOffline, Needs::Small1Bit},
}};

Handle SuiteMember(IconSuiteRef suite, OSType type) {
    Handle h = nullptr;
    if (!suite || GetIconFromSuite(&h, suite, type) != noErr) return nullptr;
    return h;
}

void DrawPreviewPicture(SInt16 id) {
    PicHandle pic;
    {
        const SInt16 saved = CurResFile();
        if (gApplRefNum != -1) UseResFile(gApplRefNum);
        pic = GetResource(FourCC("PICT"), id);
        UseResFile(saved);
    }
    if (!pic) return;
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    OffsetRect(&frame, SInt16(-frame.left), SInt16(-frame.top));
    DrawPicture(pic, &frame);
}

// A suite that shares the handles of `types` from the icon's suite, disposed
// of without them.
class SharedSuite {
public:
    SharedSuite() { (void)NewIconSuite(&suite_); }
    ~SharedSuite() {
        if (suite_) (void)DisposeIconSuite(suite_, false);
    }
    SharedSuite(const SharedSuite&) = delete;
    SharedSuite& operator=(const SharedSuite&) = delete;
    void Share(IconSuiteRef from, OSType type) {
        if (Handle h = SuiteMember(from, type); h && suite_) (void)AddIconToSuite(h, suite_, type);
    }
    void Add(Handle h, OSType type) {
        if (h && suite_) (void)AddIconToSuite(h, suite_, type);
    }
    IconSuiteRef get() const { return suite_; }

private:
    IconSuiteRef suite_ = nullptr;
};

// The preview of the selected member of a family: the member with the
// members the browser needs to draw it (its 1-bit mask, the colours an
// 8-bit mask goes with), sharing the family's data.
void DrawSelectedMemberPreview(const FamilyWinRec& family) {
    const SInt16 kind = family.selectedKind;
    Handle data = nullptr;
    if (kind < 0 || GetDataFromKorvelIcon(&data, family.icon, kind) != noErr || !data) {
        DrawKorvelIconPreview(nullptr);
        return;
    }
    const Boolean withMasks = gSystemVersion >= 0x0850;
    IconSuiteRef from = family.icon.suite;
    SharedSuite shared;
    KorvelIcon preview{};
    switch (kind) {
    case kKindIcl8:
    case kKindIcl4:
        shared.Add(data, gIconType[size_t(kind)]);
        shared.Share(from, FourCC("ICN#"));
        break;
    case kKindIcs8:
    case kKindIcs4:
        shared.Add(data, gIconType[size_t(kind)]);
        shared.Share(from, FourCC("ics#"));
        break;
    case kKindICNImage:
    case kKindICNMask:
    case kKindIcsImage:
    case kKindIcsMask:
        shared.Add(data, gIconType[size_t(kind)]);
        break;
    case kKindIl32:
        shared.Add(data, FourCC("il32"));
        if (withMasks) shared.Share(from, FourCC("l8mk"));
        shared.Share(from, FourCC("ICN#"));
        break;
    case kKindL8mk:
        shared.Add(data, FourCC("l8mk"));
        if (withMasks)
            for (OSType type : {FourCC("icl4"), FourCC("icl8"), FourCC("il32")}) shared.Share(from, type);
        shared.Share(from, FourCC("ICN#"));
        break;
    case kKindIs32:
        shared.Add(data, FourCC("is32"));
        if (withMasks) shared.Share(from, FourCC("s8mk"));
        shared.Share(from, FourCC("ics#"));
        break;
    case kKindS8mk:
        shared.Add(data, FourCC("s8mk"));
        if (withMasks)
            for (OSType type : {FourCC("ics4"), FourCC("ics8"), FourCC("is32")}) shared.Share(from, type);
        shared.Share(from, FourCC("ics#"));
        break;
    case kKindIt32:
    case kKindT8mk:
        preview.it32Data = family.icon.it32Data;
        preview.t8mkData = family.icon.t8mkData;
        break;
    default:
        break;
    }
    preview.suite = shared.get();
    DrawKorvelIconPreview(&preview);
}

}  // namespace

void UpdateIconPreview(WindowRef window) {
    if (const FamilyWinRec* family = GetFamilyWinRec(window)) DrawSelectedMemberPreview(*family);
    else if (GetIconFileRec(window)) DrawIconListPreview(window);
    else DrawKorvelIconPreview(nullptr);
}

void DrawKorvelIconPreview(const KorvelIcon* icon) {
    if (!gPreviewWindow) return;
    SavedGWorld saved;
    SetPortWindowPort(gPreviewWindow);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    PenNormal();
    Rect all;
    GetWindowPortBounds(gPreviewWindow, &all);
    switch (gListBackground) {
    case kBackGray: {
        Pattern gray;
        FillRect(&all, GetQDGlobalsGray(&gray));
        break;
    }
    case kBackBlack:
        PaintRect(&all);
        break;
    case kBackWhite:
    case kBackDesktop:
    default:
        EraseRect(&all);
        break;
    }
    const Boolean thumbnail = icon && icon->it32Data;
    DrawPreviewPicture(thumbnail ? kThumbnailPreviewPicture : kPreviewPicture);
    if (!icon) return;
    if (thumbnail) {
        SharedSuite shared;
        shared.Add(icon->it32Data, FourCC("it32"));
        shared.Add(icon->t8mkData, FourCC("t8mk"));
        (void)PlotIconSuite(&kThumbnailPreviewRect, kAlignNone, kTransformNone, shared.get());
        return;
    }
    if (!icon->suite) return;
    const Boolean hasLarge1Bit = SuiteMember(icon->suite, FourCC("ICN#")) != nullptr;
    const Boolean hasSmall1Bit = SuiteMember(icon->suite, FourCC("ics#")) != nullptr;
    for (const PreviewCell& cell : iconPreviewRect) {
        if (cell.needs == Needs::Large1Bit && !hasLarge1Bit) continue;
        if (cell.needs == Needs::Small1Bit && !hasSmall1Bit) continue;
        (void)PlotIconSuite(&cell.rect, kAlignNone, cell.transform, icon->suite);
    }
}

void RedrawIconPreview() {
    if (gPreviewWindow) InvalWindow(gPreviewWindow);
}

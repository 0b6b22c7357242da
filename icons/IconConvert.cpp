// Converting pictures into icon members and back, and storing a picture into
// the selected member of a family window.
#include "icons/IconConvert.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "icons/IconMemberInternal.h"
#include "image/Colors.h"
#include "paint/PaintWindow.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "tools/Selection.h"

#include <type_traits>

namespace {

// A picture is drawn at its own size before it is scaled to the member: one
// that claims more than this (it may come from the clipboard or a drop) is
// refused rather than given a buffer of its choosing.
constexpr Size kMaxPicturePixels = Size(1) << 24;

// Copies size rows of rowBytes each out of a bit or pixel map into `out`.
void CopyRows(const BitMap& bits, int size, Size rowBytes, UInt8* out) {
    for (int v = 0; v < size; ++v) {
        const UInt8* row = reinterpret_cast<const UInt8*>(bits.baseAddr) + Size(v) * bits.rowBytes;
        BlockMoveData(row, out + Size(v) * rowBytes, rowBytes);
    }
}

// The member rows of a mask half: the picture's shape, scaled from the
// picture frame to the member frame.
OSErr ShapeRows(GWorldPtr picture, const Rect& frame, const Rect& member, Size rowBytes, UInt8* out) {
    UniqueBitMap mask;
    if (const OSErr err = CreateMask(picture, &frame, &member, mask.out()); err != noErr) return err;
    CopyRows(*mask.get(), RectHeight(member), rowBytes, out);
    return noErr;
}

// The member rows of any other kind: the picture's colours scaled and mapped
// to the nearest colour of the member's table (copy mode, no dithering).
OSErr ColorRows(GWorldPtr picture, const Rect& frame, const Rect& member, SInt16 kind, Size rowBytes, UInt8* out) {
    // The table the member is drawn with: the picture comes back as it went.
    UniqueCTable table(GetIconKindCTable(kind));
    if (gIconDepth[size_t(kind)] <= 8 && !table) return memFullErr;
    UniqueGWorld world;
    const OSErr err = NewGWorld(world.out(), gIconDepth[size_t(kind)], &member, table.get(), nullptr, useTempMem);
    if (err != noErr) return err;
    if (!world) return memFullErr;
    SetGWorld(world.get(), nullptr);
    SetBlackOnWhite(world.get());
    EraseRect(&member);
    CopyBits(GetPortBitMapForCopyBits(picture), GetPortBitMapForCopyBits(world.get()), &frame, &member, srcCopy,
             nullptr);
    CopyRows(*GetPortBitMapForCopyBits(world.get()), RectHeight(member), rowBytes, out);
    return noErr;
}

// The bit-copy procedure GetPictureMask plays a picture through, and the
// area it gathers. The port's procedure pointer is the record's address.
struct MaskProcs {
    CQDProcs procs;
    RgnHandle area = nullptr;
};
static_assert(std::is_standard_layout_v<MaskProcs>);

void MyPictMaskBitsProc(const BitMap*, const Rect*, const Rect* dstRect, SInt16, RgnHandle maskRgn) {
    CGrafPtr port = nullptr;
    GetPort(&port);
    CQDProcs* procs = GetPortGrafProcs(port);
    if (!procs || procs->bitsProc != MyPictMaskBitsProc) return;
    MaskProcs* gathering = reinterpret_cast<MaskProcs*>(procs);
    UniqueRgn covered;
    if (maskRgn) CopyRgn(maskRgn, covered);
    else if (dstRect) RectRgn(covered, dstRect);
    UnionRgn(gathering->area, covered, gathering->area);
}

}  // namespace

PicHandle IconToPicture(IconSuiteRef suite, SInt16 kind) {
    if (!suite || kind < 0 || kind > kKindS8mk) return nullptr;
    KorvelIcon bare{};
    bare.suite = suite;  // borrowed: the caller keeps the suite
    return KorvelIconToPicture(bare, kind);
}

Handle PictureToIcon(PicHandle picture, SInt16 kind) {
    if (!picture || kind < 0 || kind >= kIconKindCount) return nullptr;
    const int size = gIconSize[size_t(kind)];
    const Size rowBytes = Size(size) * gIconDepth[size_t(kind)] / 8;
    UniqueHandle result(NewHandle(rowBytes * size));
    if (!result) return nullptr;

    Rect frame{};
    QDGetPictureBounds(picture, &frame);
    if (EmptyRect(&frame) || Size(RectWidth(frame)) * RectHeight(frame) > kMaxPicturePixels) return nullptr;
    SavedGWorld saved;
    UniqueGWorld drawn;
    if (NewGWorld(drawn.out(), 32, &frame, nullptr, nullptr, useTempMem) != noErr || !drawn) return nullptr;
    SetGWorld(drawn.get(), nullptr);
    SetBlackOnWhite(drawn.get());
    EraseRect(&frame);
    if (DrawPictureChecked(picture, &frame) != noErr) return nullptr;

    const Rect member = MakeRect(0, 0, size, size);
    UInt8* out = reinterpret_cast<UInt8*>(*result.get());
    const OSErr err = kind == kKindICNMask || kind == kKindIcsMask
                          ? ShapeRows(drawn.get(), frame, member, rowBytes, out)
                          : ColorRows(drawn.get(), frame, member, kind, rowBytes, out);
    return err == noErr ? result.release() : nullptr;
}

void MyDrawPicture(PicHandle picture, const Rect* rect) {
    if (!rect) return;
    if (picture) {
        DrawPicture(picture, rect);
        return;
    }
    Rect around = *rect;
    InsetRect(&around, -2, -2);
    Pattern grey;
    PenPat(GetQDGlobalsLightGray(&grey));
    PaintRect(&around);
    PenNormal();
}

Boolean GetPictureMask(PicHandle picture, RgnHandle region) {
    if (!picture || !region) return false;
    PictInfo info;
    if (GetPictInfo(picture, &info, 0, 0, systemMethod, 0) != noErr) return false;
    if (info.bitMapCount + info.pixMapCount < 1) return false;
    if (info.textCount || info.lineCount || info.rectCount || info.rRectCount || info.ovalCount || info.arcCount ||
        info.polyCount || info.regionCount)
        return false;

    Rect frame{};
    QDGetPictureBounds(picture, &frame);
    // The picture plays into a private one-pixel port, recording into a
    // throw-away picture, so that nothing it draws lands anywhere.
    UniqueGWorld scratch;
    const Rect one = MakeRect(0, 0, 1, 1);
    if (NewGWorld(scratch.out(), 32, &one, nullptr, nullptr, 0) != noErr || !scratch) return false;
    SavedGWorld saved;
    SetGWorld(scratch.get(), nullptr);
    UniqueRgn area;
    MaskProcs gathering;
    SetStdCProcs(&gathering.procs);
    gathering.procs.bitsProc = MyPictMaskBitsProc;
    gathering.area = area;
    OpenCPicParams params;
    params.srcRect = frame;
    PicHandle throwAway = OpenCPicture(&params);
    SetPortGrafProcs(scratch.get(), &gathering.procs);
    const OSErr err = DrawPictureChecked(picture, &frame);
    SetPortGrafProcs(scratch.get(), nullptr);
    if (throwAway) {
        ClosePicture();
        KillPicture(throwAway);
    }
    if (err != noErr || EmptyRgn(area)) return false;
    CopyRgn(area, region);
    return true;
}

OSErr SavePictureToIconData(PicHandle picture, WindowRef familyWindow, Boolean maskByShape) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family || !picture) return paramErr;
    const SInt16 kind = family->selectedKind;
    if (kind < 0 || kind >= kIconKindCount) return paramErr;

    // Without the shape, a mask half takes the picture's black pixels.
    SInt16 convertKind = kind;
    if (!maskByShape && kind == kKindICNMask) convertKind = kKindICNImage;
    if (!maskByShape && kind == kKindIcsMask) convertKind = kKindIcsImage;
    UniqueHandle converted(PictureToIcon(picture, convertKind));
    if (!converted) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return memFullErr;
    }

    Handle old = MemberData(family->icon, kind);
    // The member is rebuilt at its exact stored size: data of another size
    // (from another program) is replaced whole, and undo gives it back.
    const Size full = IconKindDataSize(kind);
    UniqueHandle undo, member;
    if (old) {
        undo.reset(CopyOfHandle(old));
        member.reset(GetHandleSize(old) == full ? CopyOfHandle(old) : NewHandleClear(full));
    } else {
        member.reset(NewHandleClear(full));
    }
    if (!member || (old && !undo)) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return memFullErr;
    }
    BlockMoveData(*converted.get(), *member.get() + IconKindDataOffset(kind), GetHandleSize(converted.get()));
    if (const OSErr err = ReplaceMember(&family->icon, kind, member.get()); err != noErr) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return err;
    }
    (void)member.release();
    SetUndoData(family, undo.release());
    family->undoKind = kind;

    // A new 'ICN#' or 'ics#' brings its other half with it.
    if (!old) InvalMember(familyWindow, IconKindOtherHalf(kind));
    InvalMember(familyWindow, kind);
    family->undoMode = kFamilyUndoStore;
    family->isDirty = true;
    UpdateMenus();
    return noErr;
}

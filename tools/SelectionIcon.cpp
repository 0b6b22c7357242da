// The selection as icon data: the selected pixels fitted into a square icon
// of one depth, optionally framed with the badge of icon suite 135.
#include "tools/Selection.h"

#include "app/Alerts.h"
#include "image/Colors.h"
#include "platform/core/Memory.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "tools/Tools.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr SInt16 kMaxIconSize = 256;

[[nodiscard]] OSErr NewWhiteWorld(UniqueGWorld* g, SInt16 depth, const Rect* bounds, CTabHandle table = nullptr) {
    if (const OSErr err = NewGWorld(g->out(), depth, bounds, table, nullptr, useTempMem); err != noErr) return err;
    if (!*g) return memFullErr;
    SetBlackOnWhite(g->get());
    EraseRect(bounds);
    return noErr;
}

// Rows of `bytesPerRow` bytes from `data` into a new world of `side` × `side`.
[[nodiscard]] OSErr WorldFromRows(UniqueGWorld* g, SInt16 depth, SInt16 side, const UInt8* data) {
    const Rect square = MakeRect(0, 0, side, side);
    if (const OSErr err = NewWhiteWorld(g, depth, &square); err != noErr) return err;
    const PixMap& pm = **GetGWorldPixMap(g->get());
    const size_t bytesPerRow = size_t(side) * size_t(depth) / 8;
    for (int v = 0; v < side; ++v) std::memcpy(PixRow(pm, v), data + size_t(v) * bytesPerRow, bytesPerRow);
    return noErr;
}

// The badge of icon suite 135 drawn through its mask over the whole square.
// The 16 × 16 members serve size 16; the 32 × 32 ones are scaled to any other.
void DrawFrameBadge(GWorldPtr icon, SInt16 size, SInt16 depth) {
    const bool small = size == 16;
    const SInt16 side = small ? 16 : 32;
    const Size bitBytes = Size(side) * side / 8;
    Handle bw = GetResource(FourCC(small ? "ics#" : "ICN#"), kSelectionFrameIcon);
    if (!bw || GetHandleSize(bw) < 2 * bitBytes) return;
    Handle color = depth >= 4 ? GetResource(FourCC(small ? "ics8" : "icl8"), kSelectionFrameIcon) : nullptr;
    if (color && GetHandleSize(color) < Size(side) * side) color = nullptr;

    const auto* bwBytes = reinterpret_cast<const UInt8*>(*bw);
    UniqueGWorld image, mask;
    OSErr err = color ? WorldFromRows(&image, 8, side, reinterpret_cast<const UInt8*>(*color))
                      : WorldFromRows(&image, 1, side, bwBytes);
    if (err == noErr) err = WorldFromRows(&mask, 1, side, bwBytes + bitBytes);
    if (err != noErr) return;

    const Rect from = MakeRect(0, 0, side, side), to = MakeRect(0, 0, size, size);
    if (side != size) {
        UniqueGWorld bigImage, bigMask;
        const PixMapHandle pm = GetGWorldPixMap(image.get());
        if (NewWhiteWorld(&bigImage, GetPixDepth(pm), &to) != noErr || NewWhiteWorld(&bigMask, 1, &to) != noErr)
            return;
        SetBlackOnWhite(image.get());
        CopyBits(Bits(image), Bits(bigImage), &from, &to, srcCopy, nullptr);
        SetBlackOnWhite(mask.get());
        CopyBits(Bits(mask), Bits(bigMask), &from, &to, srcCopy, nullptr);
        image = std::move(bigImage);
        mask = std::move(bigMask);
    }
    SetBlackOnWhite(image.get());
    SetBlackOnWhite(icon);
    CopyMask(Bits(image), Bits(mask), GetPortBitMapForCopyBits(icon), &to, &to, &to);
}

// Where the badge may be opaque: its corner of a 32 × 32 icon, its corner of a
// 16 × 16 one, and the 32 × 32 corner scaled for other sizes (the badge is
// drawn scaled there too).
Rect BadgeRect(SInt16 size) {
    if (size == 16) return MakeRect(9, 8, 16, 16);
    return MakeRect(SInt16(21 * size / 32), SInt16(19 * size / 32), size, size);
}

// The composed picture when a background layer lies under the foreground.
[[nodiscard]] OSErr ComposeWithBackground(PaintWinRec* rec, UniqueGWorld* out) {
    const Rect pic = rec->picRect;
    const PixMapHandle pm = GetGWorldPixMap(rec->offPort.get());
    if (const OSErr err = NewWhiteWorld(out, GetPixDepth(pm), &pic, (**pm).pixelSize <= 8 ? (**pm).pmTable : nullptr);
        err != noErr)
        return err;
    SetBlackOnWhite(rec->backPort.get());
    SetBlackOnWhite(rec->offPort.get());
    SetBlackOnWhite(out->get());
    CopyBits(Bits(rec->backPort), Bits(*out), &pic, &pic, srcCopy, nullptr);
    if (rec->foreTrans != 4) {
        const SInt16 mode = SetForeBlend(rec);
        CopyDeepMask(Bits(rec->offPort), Bits(rec->maskPort), Bits(*out), &pic, &pic, &pic, mode, nullptr);
        OpColor(&rgbBlackColor);
    }
    return noErr;
}

// The mask half of a 1-bit icon, as rows of the square.
[[nodiscard]] OSErr IconMask(PaintWinRec* rec, GWorldPtr source, SInt16 size, const Rect& fit, Boolean framed,
               UniqueGWorld* out) {
    const Rect square = MakeRect(0, 0, size, size);
    if (const OSErr err = NewWhiteWorld(out, 1, &square); err != noErr) return err;
    if (framed) {
        const Rect badge = BadgeRect(size);
        PaintRect(&fit);
        PaintRect(&badge);
        return noErr;
    }
    // The content of the fitted picture, cut by the document's own opacity.
    UniqueGWorld copy8;
    if (const OSErr err = NewWhiteWorld(&copy8, 8, &square); err != noErr) return err;
    SetGWorld(source, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    SetBlackOnWhite(source);
    SetBlackOnWhite(copy8.get());
    CopyBits(GetPortBitMapForCopyBits(source), Bits(copy8), &rec->selRect, &fit, srcCopy, nullptr);
    SetGWorld(source, nullptr);
    RGBForeColor(&fore);
    RGBBackColor(&back);

    UniqueBitMap content;
    if (const OSErr err = CreateMask(copy8.get(), &square, &square, content.out()); err != noErr) return err;
    SetBlackOnWhite(out->get());
    CopyBits(content.get(), Bits(*out), &square, &square, srcCopy, nullptr);
    if (!rec->backPort) {
        UniqueGWorld scaled;
        if (const OSErr err = NewWhiteWorld(&scaled, 1, &square); err != noErr) return err;
        SetBlackOnWhite(rec->maskPort.get());
        SetBlackOnWhite(scaled.get());
        CopyBits(Bits(rec->maskPort), Bits(scaled), &rec->selRect, &fit, srcCopy, nullptr);
        SetBlackOnWhite(out->get());
        CopyBits(Bits(scaled), Bits(*out), &square, &square, notSrcBic, nullptr);
    }
    return noErr;
}

void AppendRows(GWorldPtr g, SInt16 size, SInt16 depth, UInt8* dst) {
    const PixMap& pm = **GetGWorldPixMap(g);
    const size_t bytesPerRow = size_t(size) * size_t(depth) / 8;
    for (int v = 0; v < size; ++v) std::memcpy(dst + size_t(v) * bytesPerRow, PixRow(pm, v), bytesPerRow);
}

[[nodiscard]] OSErr MakeSelectionIcon(PaintWinRec* rec, SInt16 size, SInt16 depth, Boolean framed, Handle* result) {
    SavedGWorld saved;
    UniqueGWorld composed;
    GWorldPtr source = rec->offPort.get();
    if (!rec->isFloating && rec->backPort) {
        if (const OSErr err = ComposeWithBackground(rec, &composed); err != noErr) return err;
        source = composed.get();
    }
    Rect fit = rec->selRect;
    ReduceRect(&fit, size);
    const Rect square = MakeRect(0, 0, size, size);
    UniqueGWorld icon;
    if (const OSErr err = NewWhiteWorld(&icon, depth, &square); err != noErr) return err;

    SetGWorld(source, nullptr);
    RGBColor fore, back;
    GetForeColor(&fore);
    GetBackColor(&back);
    SetBlackOnWhite(source);
    SetBlackOnWhite(icon.get());
    CopyBits(GetPortBitMapForCopyBits(source), Bits(icon), &rec->selRect, &fit, framed ? ditherCopy : srcCopy,
             nullptr);
    SetGWorld(source, nullptr);
    RGBForeColor(&fore);
    RGBBackColor(&back);
    if (framed) {
        SetBlackOnWhite(icon.get());
        PenNormal();
        FrameRect(&fit);
        DrawFrameBadge(icon.get(), size, depth);
    }

    UniqueGWorld mask;
    if (depth == 1) {
        if (const OSErr err = IconMask(rec, source, size, fit, framed, &mask); err != noErr) return err;
    }
    const Size imageBytes = Size(size) * size * depth / 8;
    UniqueHandle data(NewHandle(depth == 1 ? 2 * imageBytes : imageBytes));
    if (!data) return memFullErr;
    auto* bytes = reinterpret_cast<UInt8*>(*data.get());
    AppendRows(icon.get(), size, depth, bytes);
    if (mask) AppendRows(mask.get(), size, 1, bytes + imageBytes);
    *result = data.release();
    return noErr;
}

}  // namespace

void ReduceRect(Rect* r, SInt16 size) {
    if (!r || size <= 0) return;
    int w = std::max(0, r->right - r->left), h = std::max(0, r->bottom - r->top);
    if (w > size || h > size) {
        // The shorter side never scales away to nothing.
        if (w >= h) {
            h = std::max(1, size * h / w);
            w = size;
        } else {
            w = std::max(1, size * w / h);
            h = size;
        }
    }
    // Centred with the size kept exactly: an odd side leaves the extra
    // pixel of margin on the right or at the bottom.
    r->left = SInt16((size - w) >> 1);
    r->top = SInt16((size - h) >> 1);
    r->right = SInt16(r->left + w);
    r->bottom = SInt16(r->top + h);
}

Handle GetSelectionIconHandle(WindowRef window, SInt16 size, SInt16 depth, Boolean framed) {
    PaintWinRec* rec = GetPaintWinRec(window);
    const bool depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 32;
    if (!rec || !rec->offPort || !rec->maskPort || !depthOk || size <= 0 || size > kMaxIconSize ||
        (size * depth) % 8 != 0 || EmptyRect(&rec->selRect))
        return nullptr;
    Handle result = nullptr;
    if (MakeSelectionIcon(rec, size, depth, framed, &result) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return nullptr;
    }
    return result;
}

// Drives the pen, shape, polygon, region and seed-fill operations with
// arbitrary coordinates, sizes, modes and clips, as a picture being played
// back can. Checks that nothing outside the port's pixels is written (guard
// bytes round the pixel buffer) and that xor drawing twice restores.
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/SeedFill.h"
#include "platform/raster/Shapes.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Input {
    const uint8_t* p;
    size_t n;
    bool Byte(UInt8* out) {
        if (n == 0) return false;
        *out = *p++;
        --n;
        return true;
    }
    bool S16(SInt16* out) {
        UInt8 a, b;
        if (!Byte(&a) || !Byte(&b)) return false;
        *out = SInt16(UInt16(a << 8 | b));
        return true;
    }
    bool RectOf(Rect* r) { return S16(&r->top) && S16(&r->left) && S16(&r->bottom) && S16(&r->right); }
};

constexpr int kGuard = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    UInt8 depthSel;
    if (!in.Byte(&depthSel)) return 0;
    static const SInt16 kDepths[] = {1, 2, 4, 8, 32};
    const SInt16 depth = kDepths[depthSel % 5];

    // A port over our own buffer with guard bytes on both sides, at an origin
    // other than (0, 0).
    const Rect bounds = MakeRect(-3, -5, 26, 32);
    const SInt32 rowBytes = RowBytesFor(RectWidth(bounds), depth);
    const size_t pixelBytes = size_t(rowBytes) * size_t(RectHeight(bounds));
    std::vector<char> buffer(pixelBytes + 2 * kGuard, char(0x5A));
    // Drawing stores 0 in the pad byte of 32-bit pixels (as CopyBits does), so
    // start from 0 there for the xor law to hold byte for byte.
    if (depth == 32)
        for (size_t i = 0; i < pixelBytes; i += 4) buffer[kGuard + i] = 0;
    UniqueGWorld world;
    if (NewGWorld(world.out(), depth, &bounds, nullptr, nullptr, 0) != noErr) return 0;
    PixMap pm = **GetGWorldPixMap(world.get());
    pm.baseAddr = buffer.data() + kGuard;
    CGrafPort port;
    PixMap* pmPtr = &pm;
    OpenCPort(&port, &pmPtr);
    SetGWorld(&port, nullptr);

    const Rect maskBounds = MakeRect(0, 0, 20, 40);
    UniqueGWorld mask;
    if (NewGWorld(mask.out(), 1, &maskBounds, nullptr, nullptr, 0) != noErr) return 0;

    for (int ops = 0; ops < 48; ++ops) {
        UInt8 op, b;
        SInt16 a1, a2;
        Rect r;
        Pattern pat;
        if (!in.Byte(&op)) break;
        switch (op % 16) {
        case 0:
            if (!in.S16(&a1) || !in.S16(&a2)) goto done;
            PenSize(a1, a2);
            break;
        case 1:
            if (!in.S16(&a1)) goto done;
            PenMode(a1);
            break;
        case 2:
            for (UInt8& row : pat.pat)
                if (!in.Byte(&row)) goto done;
            PenPat(&pat);
            BackPat(&pat);
            break;
        case 3:
            if (!in.S16(&a1) || !in.S16(&a2)) goto done;
            MoveTo(a1, a2);
            break;
        case 4:
            if (!in.S16(&a1) || !in.S16(&a2)) goto done;
            LineTo(a1, a2);
            break;
        case 5:
            if (!in.Byte(&b) || !in.RectOf(&r)) goto done;
            switch (b % 5) {
            case 0: FrameRect(&r); break;
            case 1: PaintRect(&r); break;
            case 2: EraseRect(&r); break;
            case 3: InvertRect(&r); break;
            default: FillRect(&r, &port.pnPat); break;
            }
            break;
        case 6:
            if (!in.Byte(&b) || !in.RectOf(&r)) goto done;
            (b & 1) ? FrameOval(&r) : PaintOval(&r);
            if (b & 2) InvertOval(&r);
            break;
        case 7:
            if (!in.Byte(&b) || !in.RectOf(&r) || !in.S16(&a1) || !in.S16(&a2)) goto done;
            (b & 1) ? FrameRoundRect(&r, a1, a2) : PaintRoundRect(&r, a1, a2);
            break;
        case 8:
            if (!in.Byte(&b) || !in.RectOf(&r) || !in.S16(&a1) || !in.S16(&a2)) goto done;
            (b & 1) ? FrameArc(&r, a1, a2) : PaintArc(&r, a1, a2);
            break;
        case 9: {
            if (!in.Byte(&b)) goto done;
            PolyHandle poly = OpenPoly();
            for (int i = 0; i < b % 12; ++i) {
                if (!in.S16(&a1) || !in.S16(&a2)) break;
                if (i == 0) {
                    MoveTo(a1, a2);
                } else {
                    LineTo(a1, a2);
                }
            }
            ClosePoly();
            (b & 0x80) ? FramePoly(poly) : PaintPoly(poly);
            KillPoly(poly);
            break;
        }
        case 10: {
            Rect r2;
            if (!in.Byte(&b) || !in.RectOf(&r) || !in.RectOf(&r2)) goto done;
            UniqueRgn a, c;
            RectRgn(a, &r);
            RectRgn(c, &r2);
            (b & 1) ? XorRgn(a, c, a) : UnionRgn(a, c, a);
            (b & 2) ? FrameRgn(a) : PaintRgn(a);
            if (b & 4) CopyRgn(a, port.clipRgn);
            break;
        }
        case 11: {
            // Xor drawing twice restores the pixels.
            if (!in.RectOf(&r)) goto done;
            const std::vector<char> before(buffer);
            const SInt16 mode = port.pnMode;
            PenMode(patXor);
            FrameOval(&r);
            FrameOval(&r);
            PenMode(mode);
            if (before != buffer) std::abort();
            break;
        }
        case 12: {
            RGBColor c;
            if (!in.S16(reinterpret_cast<SInt16*>(&c.red)) || !in.S16(reinterpret_cast<SInt16*>(&c.green)) ||
                !in.S16(reinterpret_cast<SInt16*>(&c.blue)))
                goto done;
            port.rgbFgColor = c;
            port.rgbOpColor = RGBColor{c.blue, c.red, c.green};
            break;
        }
        case 13: {
            Rect r2;
            if (!in.RectOf(&r) || !in.RectOf(&r2) || !in.S16(&a1) || !in.S16(&a2)) goto done;
            SeedCFill(&pm, *GetGWorldPixMap(mask.get()), &r, &r2, a1, a2, nullptr, 0);
            break;
        }
        case 14: {
            Rect r2;
            if (!in.RectOf(&r) || !in.RectOf(&r2)) goto done;
            CalcCMask(&pm, *GetGWorldPixMap(mask.get()), &r, &r2, &port.rgbFgColor, nullptr, 0);
            break;
        }
        default: {
            // A polygon handle straight from the input, as a picture holds it.
            if (!in.Byte(&b)) goto done;
            const size_t len = std::min<size_t>(b, in.n);
            Handle h = NewHandleFromBytes(std::span<const UInt8>(in.p, len));
            in.p += len;
            in.n -= len;
            if (h) {
                PaintPoly(h);
                FramePoly(h);
                DisposeHandle(h);
            }
            break;
        }
        }
    }
done:
    for (int i = 0; i < kGuard; ++i) {
        if (buffer[size_t(i)] != char(0x5A) || buffer[kGuard + pixelBytes + size_t(i)] != char(0x5A)) std::abort();
    }
    SetGWorld(nullptr, nullptr);
    CloseCPort(&port);
    return 0;
}

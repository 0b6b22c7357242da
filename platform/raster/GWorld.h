// Offscreen graphics worlds and the current port.
#pragma once

#include "platform/raster/QDTypes.h"

#include <span>

// Largest buffer edge and pixel count a graphics world may have. Requests
// beyond these fail with cNoMemErr before anything is allocated.
inline constexpr int kMaxGWorldEdge = 16384;
inline constexpr Size kMaxGWorldPixels = Size(1) << 28;

// depth is 1, 2, 4, 8, 16 (stored as 32), 24 (stored as 32) or 32. A null table gives the standard
// table of the depth (none for 32). The table passed in is copied. The pixels start at zero unless
// flags has noClearPix.
[[nodiscard]] OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                              CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
void DisposeGWorld(GWorldPtr offscreenGWorld);
// Remakes the buffer at a new depth, bounds or table. With clipPix or
// stretchPix the old pixels are carried over (clipped or scaled); otherwise the
// new buffer's contents are white. Returns 0 or gwFlagErr in the flags.
GWorldFlags UpdateGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                         CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
SInt32 GetPixRowBytes(PixMapHandle pm);
SInt16 GetPixDepth(PixMapHandle pm);
Rect* GetPixBounds(PixMapHandle pm, Rect* bounds);

// The current port.
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
CGrafPtr GetQDGlobalsThePort();
Rect* GetPortBounds(CGrafPtr port, Rect* rect);
PixMapHandle GetPortPixMap(CGrafPtr port);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);
void SetOrigin(SInt16 h, SInt16 v);  // moves portRect, bounds and clip of the current port
// Drawing into a port is clipped to its visible region; pictures record only
// the clip region, so an empty visible region records without drawing.
void SetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);

// Colours black on white, a 1 x 1 black pen in pattern copy, white
// background pattern, black fill pattern, and the default text settings: the
// state of a new port, and of a port when a picture starts playing.
void ResetPortDrawingState(CGrafPtr port);

// A port over an existing pixel map that this layer does not own (window
// backing stores, tests). The port is initialised as OpenCPort does.
void OpenCPort(CGrafPtr port, PixMapHandle pixMap);
void CloseCPort(CGrafPtr port);

// Row access for the raster code: the row of pixel map `pm` at vertical
// coordinate v (in the map's bounds coordinates).
inline UInt8* PixRow(const PixMap& pm, int v) {
    return reinterpret_cast<UInt8*>(pm.baseAddr) + ptrdiff_t(v - pm.bounds.top) * pm.rowBytes;
}
inline std::span<UInt8> PixRowSpan(const PixMap& pm, int v) {
    return {PixRow(pm, v), size_t(pm.rowBytes)};
}
// Bytes per row for a width and depth, rounded up to a multiple of 4.
inline SInt32 RowBytesFor(int width, int depth) {
    return SInt32(((Size(width) * depth + 31) / 32) * 4);
}

// RAII owner for a graphics world.
class UniqueGWorld {
public:
    UniqueGWorld() = default;
    explicit UniqueGWorld(GWorldPtr g) : g_(g) {}
    UniqueGWorld(const UniqueGWorld&) = delete;
    UniqueGWorld& operator=(const UniqueGWorld&) = delete;
    UniqueGWorld(UniqueGWorld&& o) noexcept : g_(o.g_) { o.g_ = nullptr; }
    UniqueGWorld& operator=(UniqueGWorld&& o) noexcept {
        if (this != &o) {
            reset(o.g_);
            o.g_ = nullptr;
        }
        return *this;
    }
    ~UniqueGWorld() { reset(); }
    GWorldPtr get() const { return g_; }
    GWorldPtr* out() {
        reset();
        return &g_;
    }
    GWorldPtr release() {
        GWorldPtr g = g_;
        g_ = nullptr;
        return g;
    }
    void reset(GWorldPtr g = nullptr) {
        if (g_ && g_ != g) DisposeGWorld(g_);
        g_ = g;
    }
    explicit operator bool() const { return g_ != nullptr; }

private:
    GWorldPtr g_ = nullptr;
};

// Saves the current port on construction and restores it on destruction.
class SavedGWorld {
public:
    SavedGWorld() { GetGWorld(&port_, &gdh_); }
    ~SavedGWorld() { SetGWorld(port_, gdh_); }
    SavedGWorld(const SavedGWorld&) = delete;
    SavedGWorld& operator=(const SavedGWorld&) = delete;

private:
    CGrafPtr port_ = nullptr;
    GDHandle gdh_ = nullptr;
};

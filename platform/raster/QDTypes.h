// The records of the drawing layer: colour tables, pixel maps, ports
// (graphics worlds), patterns, regions and pictures, and the bottleneck
// procedures through which a port's drawing can be rerouted.
//
// Pixel memory layout, as the platform defines it and the program relies on:
// rows run top to bottom, each `rowBytes` long (a multiple of 4); pixels of
// depth 1, 2 and 4 are packed most significant bits first; depth 8 is one
// colour-table index per byte; depth 32 is four bytes per pixel in the order
// pad (alpha), red, green, blue. Depth 24 is requested as 24 and stored as 32.
#pragma once

#include "platform/core/Geometry.h"
#include "platform/core/MacTypes.h"
#include "platform/core/Memory.h"

#include <cstddef>

// ---- Colour tables --------------------------------------------------------

struct ColorSpec {
    SInt16 value = 0;
    RGBColor rgb;
};

// Held in a handle; `ctSize` is the number of entries minus one, and the
// entries follow the header. Use CTabEntries() rather than ctTable[i] so the
// access never indexes past a declared array bound.
struct ColorTable {
    SInt32 ctSeed;
    UInt16 ctFlags;
    SInt16 ctSize;
    ColorSpec ctTable[1];
};
using CTabPtr = ColorTable*;
using CTabHandle = CTabPtr*;

inline ColorSpec* CTabEntries(CTabHandle ct) {
    return reinterpret_cast<ColorSpec*>(reinterpret_cast<char*>(*ct) + offsetof(ColorTable, ctTable));
}
inline int CTabCount(CTabHandle ct) { return ct ? (*ct)->ctSize + 1 : 0; }
inline Size CTabByteSize(int entries) {
    return Size(offsetof(ColorTable, ctTable)) + Size(entries) * Size(sizeof(ColorSpec));
}

// ---- Pixel maps -----------------------------------------------------------

// One record serves as both bit map and pixel map. `rowBytes` holds the plain
// count (no flag bits); the picture format adds its flag bits on the way out.
struct PixMap {
    Ptr baseAddr = nullptr;
    SInt32 rowBytes = 0;
    Rect bounds;
    SInt16 pmVersion = 0;
    SInt16 packType = 0;
    SInt32 packSize = 0;
    Fixed hRes = IntToFixed(72);
    Fixed vRes = IntToFixed(72);
    SInt16 pixelType = 0;  // 0 indexed, 16 direct (RGBDirect)
    SInt16 pixelSize = 1;  // 1, 2, 4, 8 or 32
    SInt16 cmpCount = 1;
    SInt16 cmpSize = 1;
    OSType pixelFormat = 0;
    CTabHandle pmTable = nullptr;  // none for 32-bit maps
    bool isPixMap = true;          // false: a plain 1-bit bit map (picture playback reports this)
};
using PixMapPtr = PixMap*;
using PixMapHandle = PixMapPtr*;
using BitMap = PixMap;

// ---- Patterns, regions, pictures ------------------------------------------

struct Pattern {
    UInt8 pat[8] = {};
    friend bool operator==(const Pattern&, const Pattern&) = default;
};

struct OpaqueRgnHandle;
using RgnHandle = OpaqueRgnHandle*;

// A picture is a handle holding the picture's bytes exactly as the picture
// format stores them (big-endian size and frame first).
using PicHandle = Handle;

enum : SInt16 {
    normal = 0,
    bold = 1,
    italic = 2,
    underline = 4,
    outline = 8,
    shadow = 16,
    condense = 32,
    extend = 64,
};
using Style = UInt8;

// Transfer modes named in the program.
enum : SInt16 {
    srcCopy = 0,
    srcOr = 1,
    srcXor = 2,
    srcBic = 3,
    notSrcCopy = 4,
    notSrcOr = 5,
    notSrcXor = 6,
    notSrcBic = 7,
    patCopy = 8,
    patOr = 9,
    patXor = 10,
    patBic = 11,
    notPatCopy = 12,
    notPatOr = 13,
    notPatXor = 14,
    notPatBic = 15,
    blend = 32,
    addPin = 33,
    addOver = 34,
    subPin = 35,
    transparent = 36,
    addMax = 37,
    subOver = 38,
    adMin = 39,
    ditherCopy = 64,
};

// ---- Bottleneck procedures -------------------------------------------------

struct CGrafPort;
using CGrafPtr = CGrafPort*;
using GrafPtr = CGrafPort*;
using GWorldPtr = CGrafPort*;
using WindowPtr = CGrafPort*;

using GrafVerb = SInt16;
enum : GrafVerb { kQDGrafVerbFrame = 0, kQDGrafVerbPaint = 1, kQDGrafVerbErase = 2, kQDGrafVerbInvert = 3, kQDGrafVerbFill = 4 };

struct Polygon;
using PolyHandle = Handle;

using QDTextProcPtr = void (*)(SInt16 byteCount, const void* textBuf, Point numer, Point denom);
using QDLineProcPtr = void (*)(Point newPt);
using QDRectProcPtr = void (*)(GrafVerb verb, const Rect* r);
using QDRRectProcPtr = void (*)(GrafVerb verb, const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
using QDOvalProcPtr = void (*)(GrafVerb verb, const Rect* r);
using QDArcProcPtr = void (*)(GrafVerb verb, const Rect* r, SInt16 startAngle, SInt16 arcAngle);
using QDPolyProcPtr = void (*)(GrafVerb verb, PolyHandle poly);
using QDRgnProcPtr = void (*)(GrafVerb verb, RgnHandle rgn);
using QDBitsProcPtr = void (*)(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
                               RgnHandle maskRgn);
using QDCommentProcPtr = void (*)(SInt16 kind, SInt16 dataSize, Handle dataHandle);
using QDTxMeasProcPtr = SInt16 (*)(SInt16 byteCount, const void* textAddr, Point* numer, Point* denom,
                                   void* info);
using QDGetPicProcPtr = void (*)(void* dataPtr, SInt16 byteCount);
using QDPutPicProcPtr = void (*)(const void* dataPtr, SInt16 byteCount);

struct CQDProcs {
    QDTextProcPtr textProc = nullptr;
    QDLineProcPtr lineProc = nullptr;
    QDRectProcPtr rectProc = nullptr;
    QDRRectProcPtr rRectProc = nullptr;
    QDOvalProcPtr ovalProc = nullptr;
    QDArcProcPtr arcProc = nullptr;
    QDPolyProcPtr polyProc = nullptr;
    QDRgnProcPtr rgnProc = nullptr;
    QDBitsProcPtr bitsProc = nullptr;
    QDCommentProcPtr commentProc = nullptr;
    QDTxMeasProcPtr txMeasProc = nullptr;
    QDGetPicProcPtr getPicProc = nullptr;
    QDPutPicProcPtr putPicProc = nullptr;
};
using CQDProcsPtr = CQDProcs*;

// Colour search procedures (AddSearch): given a colour, either set `*position`
// to the index to use and return true, or return false to pass.
using ColorSearchProcPtr = Boolean (*)(RGBColor* rgb, SInt32* position);

// The picture being recorded on a port. The standard bottleneck procedures
// pass every drawing operation to it before drawing; the recorder compares
// the port's state (colours, pen, clip, OpColor) with what it last wrote and
// writes the changes first. The picture layer implements it.
struct PictureRecorder {
    virtual ~PictureRecorder() = default;
    virtual void text(CGrafPtr port, SInt16 byteCount, const void* textBuf, Point numer, Point denom) = 0;
    virtual void line(CGrafPtr port, Point from, Point to) = 0;
    virtual void rect(CGrafPtr port, GrafVerb verb, const Rect* r) = 0;
    virtual void rRect(CGrafPtr port, GrafVerb verb, const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) = 0;
    virtual void oval(CGrafPtr port, GrafVerb verb, const Rect* r) = 0;
    virtual void arc(CGrafPtr port, GrafVerb verb, const Rect* r, SInt16 startAngle, SInt16 arcAngle) = 0;
    virtual void poly(CGrafPtr port, GrafVerb verb, PolyHandle poly) = 0;
    virtual void rgn(CGrafPtr port, GrafVerb verb, RgnHandle rgn) = 0;
    virtual void bits(CGrafPtr port, const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
                      RgnHandle maskRgn) = 0;
    virtual void comment(CGrafPtr port, SInt16 kind, SInt16 dataSize, Handle dataHandle) = 0;
};

// ---- Ports and graphics worlds ---------------------------------------------

// A port is a drawing environment over one pixel map. Offscreen graphics
// worlds and window ports are both ports; windows add their own state in the
// window layer.
struct CGrafPort {
    PixMapHandle portPixMap = nullptr;
    Rect portRect;
    RgnHandle visRgn = nullptr;
    RgnHandle clipRgn = nullptr;
    RGBColor rgbFgColor{0, 0, 0};
    RGBColor rgbBkColor{0xFFFF, 0xFFFF, 0xFFFF};
    RGBColor rgbOpColor{0, 0, 0};  // blend weight and pin colour of arithmetic modes
    RGBColor rgbHiliteColor{0, 0, 0};
    Point pnLoc;
    Point pnSize{1, 1};
    SInt16 pnMode = patCopy;
    Pattern pnPat;  // all ones: black
    Pattern bkPat;  // all zeros: white
    Pattern fillPat;
    SInt16 pnVis = 0;
    SInt16 txFont = 0;
    Style txFace = normal;
    SInt16 txMode = srcOr;
    SInt16 txSize = 0;
    CQDProcsPtr grafProcs = nullptr;
    PictureRecorder* picSave = nullptr;  // set while a picture is being recorded
    // Ownership of the pixels, table and regions of an offscreen world.
    Handle pixelStorage = nullptr;
    bool ownsTable = false;
    UInt32 gwFlags = 0;
    bool isWindowPort = false;
    void* refCon = nullptr;  // the window layer's record for window ports
};

struct GDevice;
using GDHandle = GDevice**;

using GWorldFlags = UInt32;
enum : GWorldFlags {
    pixPurge = 1u << 0,
    noNewDevice = 1u << 1,
    useTempMem = 1u << 2,
    keepLocal = 1u << 3,
    pixelsPurgeable = 1u << 6,
    pixelsLocked = 1u << 7,
    noClearPix = 1u << 8,  // NewGWorld leaves the pixels as allocated: the caller writes every byte
    clipPix = 1u << 28,
    stretchPix = 1u << 29,
    ditherPix = 1u << 30,
    gwFlagErr = 1u << 31,
};

// The paint document: the record behind each paint window, its buffers, and
// how a paint window is made, composed, titled and closed.
#pragma once

#include "platform/files/FSSpec.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Windows.h"

struct PaintWinRec {
    Rect picRect{};               // the image at 1:1, top-left (0, 0)
    Rect dispRect{};              // picRect scaled by 2^ratio
    SInt16 ratio = 0;             // zoom exponent 0..4
    ControlRef hScroll = nullptr;
    ControlRef vScroll = nullptr;
    SInt16 colorMode = 8;         // 8 or 24 (icon members: their editing depth)
    SInt16 depth = 8;             // depth of every full-depth buffer
    UniqueGWorld offPort;         // the image (the lifted pixels at selRect while floating)
    UniqueGWorld undoPort;
    UniqueGWorld dispPort;        // the composed picture
    UniqueGWorld basePort;        // the image without the lifted pixels
    UniqueGWorld foreHoldPort;    // background-layer editing only
    UniqueGWorld foreHoldMask;
    UniqueGWorld maskPort;        // 1 bit: set = opaque
    UniqueGWorld undoMask;
    UniqueGWorld baseMask;
    UniqueGWorld backPort;        // the background layer
    Boolean hasTransparency = false;
    Boolean isBackMode = false;
    Boolean showBack = true;
    SInt16 foreTrans = 0;
    SInt16 undoForeTrans = 0;
    Boolean sizeStretch = false, sizeDither = false;
    UniqueRgn selDispRgn;         // selection outline, window coordinates
    UniqueRgn undoSelDispRgn;
    UniqueRgn selRgn;             // selection, image coordinates; picRect when none
    UniqueRgn undoSelRgn;
    Rect selRect{};
    Rect undoSelRect{};
    Point selOffset{0, 0};
    Point undoSelOffset{0, 0};
    Boolean isFloating = false;
    SInt16 rotAngle = 0;          // the angle of the last rotation
    RGBColor replaceColor{0, 0, 0};
    Boolean hasReplaceColor = false;
    UniqueRgn updateRgn;          // image coordinates
    SInt16 selMode = 0;           // 0 copy, 32 blend
    Boolean selShown = false;
    Boolean isDirty = false;
    Boolean hasFile = false;
    OSType fileType = 0;
    OSType fileCreator = 0;
    FSSpec fileSpec{};            // name at most 63 bytes
    WindowRef parentWindow = nullptr;
    SInt16 iconKind = 0;
    Point lastPenPt{-1, -1};
    SInt16 undoMode = 0;
    Boolean dragHilite[2] = {false, false};
    Boolean dotMode = false;      // keyboard dot mode
    Boolean dotShown = false;     // the dot is drawn inverted in the window
    Point dotPos{0, 0};           // the dot's top-left, image coordinates
    Point undoDotPos{0, 0};
    UInt32 dotTick = 0;           // the last blink
    Str255 inputCommand{};        // at most 30 characters
    Str255 undoInputCommand{};
};

// The record of a paint window, or none for any other window.
PaintWinRec* GetPaintWinRec(WindowRef window);

// Whether what is erased shows white (over a background layer, or as
// transparency) rather than the background colour.
inline bool HasBackground(const PaintWinRec* rec) { return rec->backPort || rec->hasTransparency; }

// A buffer's pixels as CopyBits takes them.
inline const BitMap* Bits(const UniqueGWorld& g) { return GetPortBitMapForCopyBits(g.get()); }

struct PictSizeSettings {          // the new-picture dialog's working copy
    Rect pictRect{0, 0, 64, 96};
    SInt16 ratio = 2;
    UInt8 showSizeDialog = 0;
    UInt8 sizeFromClipboard = 0;
    SInt16 backgroundKind = 0;
    SInt16 colorMode = 8;
};

void NewPaintWindow();
// 1 OK, 2 Cancel, −1 failed. OK with a width or height out of range says so
// and keeps the dialog up with that field selected.
SInt16 ConfigurePictSize(PictSizeSettings* settings);
// The largest width or height of a new picture; the size message (item
// kPictureSizeMessage of the paint-file and preferences message lists) names it.
inline constexpr SInt16 kMaxPictureEdge = 16384;
// The largest number of pixels a picture may have: a document holds several
// full-depth buffers of its size (image, undo, display, base), so the cap
// keeps one document of 32-bit pixels within about a gigabyte.
inline constexpr Size kMaxPictureArea = Size(64) << 20;
enum : SInt16 { kPictureSizeMessage = 14, kPrefsPictureSizeMessage = 4 };
// A width or height typed as text: a whole number from 1 to kMaxPictureEdge,
// spaces around it allowed; false for anything else.
Boolean ParsePictureEdge(ConstStr255Param text, SInt16* edge);
WindowRef MakePaintWindow(const Rect* picRect, SInt16 ratio, SInt16 depth);
[[nodiscard]] OSErr InitPaintWinRec(WindowRef window);
// The window-free part of InitPaintWinRec: dispRect, the seven buffers, the
// regions and the flags, all erased; on failure nothing is left made.
[[nodiscard]] OSErr MakePaintBuffers(PaintWinRec* rec);
// The first half of DispOffPort: dispPort recomposed from offPort (and
// basePort with the lifted pixels while floating).
void ComposeDispPort(PaintWinRec* rec);
// Step 6 of a new picture: the mask (and for an opaque background colour the
// image) by background kind 0 white, 1 transparent, 2 background colour.
void FillNewPicture(PaintWinRec* rec, SInt16 backgroundKind);
void EraseOffPort(PaintWinRec* rec);
// Makes `g` the current port drawing black on white: copies out of and into
// a buffer are untinted only with those colours.
void SetBlackOnWhite(GWorldPtr g);
// The buffer's bounds; empty for none.
Rect GWorldBounds(GWorldPtr g);
// `windowRgn` becomes `imageRgn` mapped from picRect to dispRect.
void MapToWindowRgn(const PaintWinRec* rec, RgnHandle imageRgn, RgnHandle windowRgn);
void DispOffPort(WindowRef window);
void SetEditWindowTitle(WindowRef window);
void StackWindowPos(Point* pos, Point step, const Rect* limits);
void SetPaintWindowSize(WindowRef window, const Rect* picRect, SInt16 ratio);
[[nodiscard]] OSErr ClosePaintWindow(WindowRef window, Boolean quitting);
[[nodiscard]] OSErr NewBitMap(BitMap* bitmap, const Rect* r);
[[nodiscard]] OSErr DisposeBitMap(BitMap* bitmap);

// Owns a bit map made by NewBitMap (or by a procedure that makes one through
// `out()`, such as CreateMask) and gives it back on every path.
class UniqueBitMap {
public:
    UniqueBitMap() = default;
    UniqueBitMap(const UniqueBitMap&) = delete;
    UniqueBitMap& operator=(const UniqueBitMap&) = delete;
    ~UniqueBitMap() { reset(); }
    [[nodiscard]] OSErr Make(const Rect* r) { return NewBitMap(out(), r); }
    BitMap* out() {
        reset();
        return &bits_;
    }
    BitMap* get() { return &bits_; }
    const BitMap* get() const { return &bits_; }
    void reset() {
        if (bits_.baseAddr) (void)DisposeBitMap(&bits_);  // made by NewBitMap: never refused
        bits_ = BitMap{};
    }

private:
    BitMap bits_{};
};
// The untitled document name for a file type ("untitled 2.pict").
void MakeUntitledFileName(OSType fileType, Str255 name);

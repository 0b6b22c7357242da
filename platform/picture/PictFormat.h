// The picture format at the byte level: opcodes and their data lengths,
// PackBits, the picture header, and a walker that reads a picture's opcodes
// one by one and hands decoded operations to a sink. Nothing here draws;
// playback, statistics and the inspector are sinks.
//
// Layout of a picture: u16 size (low 16 bits, unreliable), the frame, then
// opcodes. Version 1 pictures use one-byte opcodes with no alignment;
// version 2 pictures use two-byte opcodes, each opcode's data padded to an
// even offset from the picture's start.
#pragma once

#include "platform/core/ByteIO.h"
#include "platform/raster/QDTypes.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// Opcodes the program writes or reads by name.
enum : UInt16 {
    kPictNOP = 0x0000,
    kPictClipRgn = 0x0001,
    kPictBkPat = 0x0002,
    kPictTxFont = 0x0003,
    kPictTxFace = 0x0004,
    kPictTxMode = 0x0005,
    kPictPnSize = 0x0007,
    kPictPnMode = 0x0008,
    kPictPnPat = 0x0009,
    kPictFillPat = 0x000A,
    kPictOvSize = 0x000B,
    kPictOrigin = 0x000C,
    kPictTxSize = 0x000D,
    kPictFgColor = 0x000E,
    kPictBkColor = 0x000F,
    kPictVersion = 0x0011,
    kPictRGBFgCol = 0x001A,
    kPictRGBBkCol = 0x001B,
    kPictHiliteColor = 0x001D,
    kPictDefHilite = 0x001E,
    kPictOpColor = 0x001F,
    kPictLine = 0x0020,
    kPictLineFrom = 0x0021,
    kPictShortLine = 0x0022,
    kPictShortLineFrom = 0x0023,
    kPictLongText = 0x0028,
    kPictDHText = 0x0029,
    kPictDVText = 0x002A,
    kPictDHDVText = 0x002B,
    kPictFrameRect = 0x0030,
    kPictFrameRRect = 0x0040,
    kPictFrameOval = 0x0050,
    kPictFrameArc = 0x0060,
    kPictFramePoly = 0x0070,
    kPictFrameRgn = 0x0080,
    kPictBitsRect = 0x0090,
    kPictBitsRgn = 0x0091,
    kPictPackBitsRect = 0x0098,
    kPictPackBitsRgn = 0x0099,
    kPictDirectBitsRect = 0x009A,
    kPictDirectBitsRgn = 0x009B,
    kPictShortComment = 0x00A0,
    kPictLongComment = 0x00A1,
    kPictEndPic = 0x00FF,
    kPictHeaderOp = 0x0C00,
    kPictCompressedQuickTime = 0x8200,
    kPictUncompressedQuickTime = 0x8201,
};

// Name of an opcode for the inspector ("PackBitsRect", "Reserved 0x0092").
std::string OpcodeName(UInt16 opcode);

// ---- PackBits -------------------------------------------------------------

// Appends the PackBits form of `row` to `out`.
void PackBitsRow(std::span<const UInt8> row, std::vector<UInt8>& out);
// Decodes `in` into exactly out.size() bytes. False when the input ends
// early, a run would overflow the output, or input is left over beyond one
// trailing byte (some writers pad).
bool UnpackBitsRow(std::span<const UInt8> in, std::span<UInt8> out);
// As UnpackBitsRow with 16-bit units (runs repeat or copy whole words).
bool UnpackBitsRow16(std::span<const UInt8> in, std::span<UInt8> out);

// ---- Header ---------------------------------------------------------------

struct PictHeader {
    int version = 0;  // 1 or 2
    Rect frame;
    bool extended = false;  // version 2 with the -2 header record
    Fixed hRes = IntToFixed(72);
    Fixed vRes = IntToFixed(72);
    // The extended header's source rectangle, else the frame. Opcode
    // coordinates are in this rectangle's space; the frame is the same area
    // at 72 dpi.
    Rect srcRect;
    size_t opStart = 0;  // offset of the first opcode after the version opcode
};

// Reads the size, frame and version opcode. badPictErr when the bytes do not
// start like a picture.
[[nodiscard]] OSErr ReadPictHeader(std::span<const UInt8> pict, PictHeader* header);

// ---- Walking --------------------------------------------------------------

// Largest raster edge and decoded raster size a picture may ask for. The
// decoded size must also be justified by the input: every packed row needs
// its byte count and 2 bytes per 128 bytes it decodes to.
inline constexpr int kMaxPictRasterEdge = 16384;
inline constexpr Size kMaxPictRasterBytes = Size(1) << 28;
// Largest number of opcodes one picture may hold before it counts as hostile.
inline constexpr size_t kMaxPictOpcodes = size_t(1) << 22;

// A decoded raster of a bit-copy opcode. Rows are `rowBytes` apart; depth 16
// is decoded to 32-bit pixels (pad, red, green, blue) and `depth` keeps 16.
struct PictRaster {
    UInt16 opcode = 0;
    bool isPixMap = false;  // false: a plain 1-bit bit map
    int depth = 1;          // 1, 2, 4, 8, 16 or 32 as stored
    int packType = 0;
    int cmpCount = 1;
    Rect bounds;
    Fixed hRes = IntToFixed(72);
    Fixed vRes = IntToFixed(72);
    std::vector<RGBColor> colors;  // indexed maps: colour of each pixel value (2^depth entries)
    Rect srcRect, dstRect;
    SInt16 mode = 0;
    std::span<const UInt8> maskRgn;  // stored region, empty when none
    SInt32 rowBytes = 0;             // of `pixels` (a multiple of 4)
    std::vector<UInt8> pixels;
};

// What the walker hands out. Coordinates are as the picture stores them (the
// walker applies nothing); lines and "same" shapes are made absolute.
class PictSink {
public:
    virtual ~PictSink() = default;
    // Every opcode, before its own event; `offset` is the opcode's position.
    virtual void opcode(UInt16 /*op*/, size_t /*offset*/) {}
    virtual void clip(std::span<const UInt8> /*storedRgn*/) {}
    virtual void origin(SInt16 /*dh*/, SInt16 /*dv*/) {}
    virtual void penSize(Point /*size*/) {}
    virtual void penMode(SInt16 /*mode*/) {}
    virtual void penPat(const Pattern&) {}
    virtual void fillPat(const Pattern&) {}
    virtual void bkPat(const Pattern&) {}
    virtual void foreColor(const RGBColor&) {}
    virtual void backColor(const RGBColor&) {}
    virtual void opColor(const RGBColor&) {}
    virtual void hiliteColor(const RGBColor&) {}
    virtual void txFont(SInt16) {}
    virtual void txFace(Style) {}
    virtual void txMode(SInt16) {}
    virtual void txSize(SInt16) {}
    virtual void line(Point /*from*/, Point /*to*/) {}
    virtual void text(Point /*at*/, std::span<const UInt8> /*chars*/) {}
    virtual void rect(GrafVerb, const Rect&) {}
    virtual void rRect(GrafVerb, const Rect&, Point /*ovalSize (v height, h width)*/) {}
    virtual void oval(GrafVerb, const Rect&) {}
    virtual void arc(GrafVerb, const Rect&, SInt16 /*startAngle*/, SInt16 /*arcAngle*/) {}
    // polygon data as stored: u16 size, bbox, points
    virtual void poly(GrafVerb, std::span<const UInt8> /*storedPoly*/) {}
    virtual void rgn(GrafVerb, std::span<const UInt8> /*storedRgn*/) {}
    virtual void bits(const PictRaster&) {}
    virtual void comment(SInt16 /*kind*/, std::span<const UInt8> /*data*/, bool /*isLong*/) {}
    // Return false to stop the walk early (no error).
    virtual bool keepGoing() const { return true; }
};

struct PictWalkOptions {
    // When false, raster opcodes are checked and skipped without decoding
    // their pixels (the sink's bits() still sees the header fields, with an
    // empty pixel vector).
    bool decodePixels = true;
};

// Walks the whole picture. noErr when it ends with the end opcode (or the
// data ends cleanly right after an opcode), badPictErr for a damaged or
// hostile picture, memFullErr when a raster cannot be held.
[[nodiscard]] OSErr WalkPicture(std::span<const UInt8> pict, PictSink& sink, PictWalkOptions options = {});

// ---- Classic colours ------------------------------------------------------

// The RGB colour of an old-style colour constant (blackColor 33, ...);
// unknown values give black.
RGBColor ClassicColorRGB(SInt32 color);

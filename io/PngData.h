// PNG data to and from the program's pixel buffers, in memory, through
// libpng. No alerts and no files here: PngFile.cpp shows the alerts and
// reads and writes the files.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/core/MacTypes.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/QDTypes.h"

#include <ctime>
#include <span>
#include <string>
#include <vector>

// The largest PNG a document is made from: each side at most this many
// pixels (the new-picture limit), and at most kMaxPNGPixels pixels in all,
// so that the document's seven full-size buffers stay within memory. Both
// are checked against the header before anything is allocated.
inline constexpr SInt32 kMaxPNGEdge = kMaxPictureEdge;
inline constexpr Size kMaxPNGPixels = kMaxPictureArea;

// Messages of string list 4005 (the PNG alerts).
enum : SInt16 {
    kPNGWriteFailedMessage = 1,
    kPNGSignatureUnreadableMessage = 2,
    kPNGNotPNGMessage = 3,
    kPNGReadFailedMessage = 4,
    kPNGTooLargeMessage = 5,
    kPNGAlphaNoticeMessage = 6,
    kPNGNoMemoryMessage = 7,
    kPNGLibraryPrefixMessage = 8,
};

// Result codes of the decoder besides the platform's.
enum : OSErr {
    kPNGNotPNGErr = -2114,
    kPNGReadErr = -2,
    kPNGHeaderErr = -3,
    kPNGTooLargeErr = -4,
    kPNGWriteErr = -1,
};

// What PNGEncodeBytes writes. The image is the top-left width × height of
// the buffer. Depth 1, 2, 4 or 8 writes a palette image of the first
// colorCount entries of the buffer's table (filter none); depth 32 an RGB
// image of bit depth 8 (all five filters). transIndex below 0: no tRNS;
// otherwise the transparent palette index, or for RGB that transColor is
// transparent. Each 16-bit component is written as its high byte.
struct PNGEncodeParams {
    GWorldPtr buffer = nullptr;
    SInt16 width = 0, height = 0;
    SInt16 colorCount = 0;
    SInt16 depth = 8;
    Boolean interlaced = false;
    SInt16 transIndex = -1;
    RGBColor transColor{0, 0, 0};
    SInt16 compressLevel = 6;
    std::time_t modified = 0;  // tIME, in local time; 0 writes none
};

// Encodes into `out` (replaced). On a libpng error the result is
// kPNGWriteErr and `libpngMessage` holds its text; paramErr for parameters
// that do not describe the buffer.
[[nodiscard]] OSErr PNGEncodeBytes(const PNGEncodeParams& params, std::vector<UInt8>* out,
                                   std::string* libpngMessage);

// A decoded PNG: the pixels at 1, 2, 4 or 8 bits with a table (palette and
// grey images; grey tables have black at index 0) or at 32 bits (pad, red,
// green, blue; pad 0), and the 1-bit mask (set = opaque) when the file
// says some pixels are transparent and the caller asked for palette
// transparency, or the file has an alpha channel (opaque where alpha is at
// least half). Transparent pixels keep their colours.
struct PNGDecoded {
    UniqueGWorld image;
    UniqueGWorld mask;
    Boolean hadAlpha = false;  // colour type 4 or 6: the notice is due
};

// Decodes PNG bytes. wantMask: palette entries that are fully transparent,
// and the transparent grey or RGB colour of a tRNS chunk, become clear mask
// pixels. On failure `*message` is the item of string list 4005 that says
// why (0 for none) and `libpngMessage` holds libpng's own text, if any.
// Errors: eofErr (shorter than a signature), kPNGNotPNGErr, kPNGReadErr
// (damaged data), kPNGTooLargeErr (over the caps), memFullErr.
[[nodiscard]] OSErr PNGDecodeBytes(std::span<const UInt8> bytes, Boolean wantMask, Size maxPixels, PNGDecoded* out,
                                   SInt16* message, std::string* libpngMessage);

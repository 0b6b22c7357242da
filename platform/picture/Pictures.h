// Pictures: recording drawing on a port into a picture, playing a picture
// back through a port's bottleneck procedures, picture statistics, and the
// PICT file layout (512 zero bytes, then the picture).
//
// Recording writes version 2 pictures with the extended header. Playback
// reads versions 1 and 2. Every reading path is checked: a damaged picture
// yields an error code (QDError() after DrawPicture, or DrawPictureChecked),
// never a crash or an allocation the picture's bytes do not justify.
#pragma once

#include "platform/raster/QDTypes.h"

#include <span>
#include <vector>

struct OpenCPicParams {
    Rect srcRect;
    Fixed hRes = IntToFixed(72);
    Fixed vRes = IntToFixed(72);
    SInt16 version = -2;
    SInt16 reserved1 = 0;
    SInt32 reserved2 = 0;
};

// Starts recording on the current port (sets its picSave). The picture's
// frame is srcRect (OpenCPicture) or picFrame (OpenPicture). None when the
// port already records, there is no port or memory runs out.
PicHandle OpenCPicture(const OpenCPicParams* newHeader);
PicHandle OpenPicture(const Rect* picFrame);
// Ends the recording on the current port: writes the end opcode and the
// size and leaves the bytes in the handle OpenCPicture returned.
void ClosePicture();
void KillPicture(PicHandle pic);

// Plays the picture into the current port, mapping its frame onto dstRect.
// Drawing goes through the port's grafProcs where set, else the standard
// procedures. Port state (pen, colours, text, clip) is restored afterwards.
void DrawPicture(PicHandle pic, const Rect* dstRect);
[[nodiscard]] OSErr DrawPictureChecked(PicHandle pic, const Rect* dstRect);
// The result of the last DrawPicture, OpenCPicture or ClosePicture.
[[nodiscard]] OSErr QDError();

Rect* QDGetPictureBounds(PicHandle pic, Rect* outRect);

// ---- Statistics -------------------------------------------------------------

enum : SInt16 {
    returnColorTable = 1,
    returnPalette = 2,
    recordComments = 4,
    recordFontInfo = 8,
    suppressBlackAndWhite = 16,
};
enum : SInt16 { systemMethod = 0, popularMethod = 1, medianMethod = 2 };

struct PictInfo {
    SInt16 version = 0;
    SInt32 uniqueColors = 0;
    Handle thePalette = nullptr;
    CTabHandle theColorTable = nullptr;
    Fixed hRes = 0;
    Fixed vRes = 0;
    SInt16 depth = 0;
    Rect sourceRect;
    SInt32 textCount = 0;
    SInt32 lineCount = 0;
    SInt32 rectCount = 0;
    SInt32 rRectCount = 0;
    SInt32 ovalCount = 0;
    SInt32 arcCount = 0;
    SInt32 polyCount = 0;
    SInt32 regionCount = 0;
    SInt32 bitMapCount = 0;
    SInt32 pixMapCount = 0;
    SInt32 commentCount = 0;
    SInt32 uniqueComments = 0;
    Handle commentHandle = nullptr;
    SInt32 uniqueFonts = 0;
    Handle fontHandle = nullptr;
    Handle fontNamesHandle = nullptr;
    SInt32 reserved1 = 0;
    SInt32 reserved2 = 0;
};

// Counts the picture's operations by kind and its distinct colours (raster
// pixels and drawing colours). No palette or colour table is ever returned:
// the verbs asking for them are accepted and ignored.
[[nodiscard]] OSErr GetPictInfo(PicHandle thePictHandle, PictInfo* thePictInfo, SInt16 verb,
                                SInt16 colorsRequested, SInt16 colorPickMethod, SInt16 version);

// ---- PICT files ---------------------------------------------------------------

// The picture inside a PICT file's data fork: after a 512-byte header, or
// bare. Whichever reading gives a valid picture wins (the header reading
// first). badPictErr when neither does.
[[nodiscard]] OSErr PictureFromFileBytes(std::span<const UInt8> fileBytes, PicHandle* pic);
// The offset at which the picture starts (0 or 512), or -1 when neither does.
int PictureOffsetInFile(std::span<const UInt8> fileBytes);
// 512 zero bytes, then the picture's bytes.
std::vector<UInt8> PictFileBytes(PicHandle pic);
[[nodiscard]] OSErr WritePictFile(const char* path, PicHandle pic);
[[nodiscard]] OSErr ReadPictFile(const char* path, PicHandle* pic);

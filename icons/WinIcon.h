// Windows icon files (an icon directory of device-independent bitmaps or PNG
// images, each bitmap a colour XOR image with a 1-bit AND mask) and single
// 32 × 32 8-bit bitmap files, read into icon members and written from them.
//
// Reading trusts nothing in the file: counts, sizes and offsets are checked
// against the file's length, and an entry that cannot be read is kept out
// (with its reason where the caller asks for notes) instead of ending the
// reading. Writing builds the whole file in memory and puts it in place
// through WriteFileAtomically, so a failed save leaves the old file.
#pragma once

#include "image/KorvelIcon.h"
#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/icons/IconSuites.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

#include <span>
#include <string>
#include <vector>

inline constexpr OSType kWinIconFileType = FourCC("ICO ");
// Larger files are refused before they are read: a directory of the largest
// images a Windows icon may hold stays far below this.
inline constexpr size_t kMaxWinIconFileBytes = size_t(16) << 20;
// The one single-bitmap file accepted: 14 + 40 + 1024 + 1024 bytes, a
// 32 × 32 8-bit picture with a 256-colour palette.
inline constexpr UInt32 kWinBitmapFileSize = 2102;

// A bitmap row's length in the file: rows are padded to 4 bytes.
inline size_t WinBitmapRowBytes(int width, int depth) { return size_t(width * depth + 31) / 32 * 4; }

// One directory entry as the file states it, and what checking it against
// the file found.
struct WinIconEntry {
    int index = 0;             // position in the directory, from 0
    int width = 0, height = 0; // a byte of 0 in the directory means 256
    UInt8 colorCount = 0;
    UInt8 reserved = 0;
    UInt16 planes = 0;
    UInt16 directoryBitCount = 0;
    UInt32 bytesInImage = 0;
    UInt32 imageOffset = 0;
    bool isPng = false;
    // The bitmap's own header (bitmaps only).
    UInt32 headerSize = 0;
    UInt16 bitCount = 0;       // for a PNG: bit depth × channels of its header
    int paletteCount = 0;      // palette entries, bitmaps of 1, 4 and 8 bits
    bool hasAndMask = false;   // 32-bit bitmaps may leave it out
    // Empty when the entry is readable; otherwise why it is not.
    std::string problem;
    // The entry's bytes inside the file (empty when it lies outside).
    std::span<const UInt8> image;
};

// The directory of a Windows icon file. paramErr with `why` when the bytes
// are not one (no icon header, or a count of 0); the entries that the file's
// length cannot hold are left out and named in `why` as well. Every listed
// entry has its `problem` set when it cannot be decoded.
[[nodiscard]] OSErr ParseWinIconDirectory(std::span<const UInt8> bytes, std::vector<WinIconEntry>* entries,
                                          std::string* why);

// Reads a Windows icon file, or a single 32 × 32 8-bit bitmap file, into a
// new suite of the classic members ('ICN#', 'icl4', 'icl8', 'ics#', 'ics4',
// 'ics8'). Returns noErr, a file error, memFullErr, or -1 for a bitmap file
// whose size field is not 2102. Entries of other sizes or depths are skipped.
[[nodiscard]] OSErr WinIconToIconSuite(const FSSpec& file, IconSuiteRef* suite);
[[nodiscard]] OSErr WinIconBytesToIconSuite(std::span<const UInt8> bytes, IconSuiteRef* suite);

// Reads a Windows icon file into a whole icon record: the classic members
// as WinIconToIconSuite reads them, 32-bit bitmaps with alpha and PNG
// images of 16 and 32 pixels as 'is32'+'s8mk' and 'il32'+'l8mk', and one of
// 128 pixels as the thumbnail members. A size without a 1-bit member but
// with a 32-bit image gets an 'ICN#'/'ics#' whose mask is the image's alpha
// of 128 and above. Every entry kept out is named in `notes` with its reason.
// noIconDataAvailableErr when no entry could be read (the notes say why).
[[nodiscard]] OSErr WinIconToKorvelIcon(const FSSpec& file, KorvelIcon* icon, std::vector<std::string>* notes);
[[nodiscard]] OSErr WinIconBytesToKorvelIcon(std::span<const UInt8> bytes, KorvelIcon* icon,
                                             std::vector<std::string>* notes);

// One bitmap entry's pixels as member data: with `mask` the data keeps the
// bitmap's own depth and `mask` gets the AND mask as a 1-bit member mask
// (set = opaque, rows top to bottom); without it the data is 8-bit.
// Colours are dithered into the standard table of the depth.
[[nodiscard]] OSErr WinIconToIconData(const WinIconEntry& entry, Handle* data, Handle* mask);
// The pixels of a single bitmap file (already known to be 2102 bytes) as
// 32 × 32 8-bit member data.
[[nodiscard]] OSErr BMPToIconData(std::span<const UInt8> fileBytes, Handle* data);
// Bitmap rows (bottom to top, each padded to 4 bytes) of `bounds`' size at
// sourceDepth with `palette`, dithered (CopyBits mode 64) into the standard
// table of targetDepth, as member data: rows top to bottom, tightly packed.
[[nodiscard]] OSErr ConvertIconData(std::span<const UInt8> pixels, Handle* data, SInt16 sourceDepth,
                                    SInt16 targetDepth, const Rect& bounds, CTabHandle palette);
// A colour table of 2^bitCount entries from bitmap palette quads (blue,
// green, red, 0): entry i has value i and each component byte widened to
// 16 bits. Quads the palette lacks are black. The caller owns the table.
[[nodiscard]] OSErr GetWinIconCTable(std::span<const UInt8> palette, SInt16 bitCount, CTabHandle* table);

// Writes the suite's 'icl8', 'icl4', 'ics8' and 'ics4' members, each with
// the mask of the 1-bit member of its size (fully opaque without one), as a
// Windows icon file of type 'ICO '. A suite with none of them beeps and
// returns -1.
[[nodiscard]] OSErr MakeWinIconFromSuite(const FSSpec& file, IconSuiteRef suite);
// The same entries, then 32-bit bitmaps with alpha for the 32- and 16-pixel
// 32-bit members and the 128-pixel thumbnail as a PNG image. An icon with
// neither colour nor 32-bit members beeps and returns -1.
[[nodiscard]] OSErr MakeWinIconFromKorvelIcon(const FSSpec& file, const KorvelIcon& icon);
// The bytes MakeWinIconFromKorvelIcon writes.
[[nodiscard]] OSErr BuildWinIcon(const KorvelIcon& icon, bool with32, std::vector<UInt8>* bytes);

// Saves the paint document's selection, or whole image, as a Windows icon
// file of one 32 × 32 8-bit image; failures are told in an alert.
[[nodiscard]] OSErr SaveAsWinIcon(WindowRef paintWindow, const FSSpec& file);
// Cuts the selection's rectangle, or the whole image, into 32 × 32 tiles
// and saves each as "<name>.<n>.ico" beside `file`; `file` ends up named
// "<name>.ico".
[[nodiscard]] OSErr SaveAsSplitWinIcon(WindowRef paintWindow, FSSpec* file);

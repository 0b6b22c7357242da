// The writers of a paint document's save formats that live here: a PICT file
// with its zoom resource and preview icon, and a folder (or one folder per
// 32 × 32 tile) whose custom icon is made from the image. Each writer tells
// the user why it failed and returns the error.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

#include <string>

[[nodiscard]] OSErr SaveAsPict(WindowRef window, const FSSpec& fileSpec);
// The file's custom icon: a thumbnail of the image, framed.
[[nodiscard]] OSErr AddPreviewIcon(WindowRef window, const FSSpec& fileSpec);
[[nodiscard]] OSErr SaveAsIcon(WindowRef window, const FSSpec& fileSpec);
// One folder per tile, named as TileFileName says; the fileSpec keeps its name.
[[nodiscard]] OSErr SaveAsSplitIcon(WindowRef window, const FSSpec& fileSpec);

// Tiles: the area is cut into squares of 32 from its top-left corner, the
// last row and column reaching past it where it is not a multiple of 32.
inline constexpr SInt16 kTileSide = 32;
int TileColumns(const Rect& area);
int TileRows(const Rect& area);
int DecimalDigits(int n);
// The first tile's number as the names write it: "1", or "01" for 10 to 99
// tiles, and so on.
std::string FirstTileNumber(int tileCount);
// `name` cut to at most 30 − d bytes (d the digit count of the tile count),
// then "." and the tile number zero-padded to d digits.
std::string TileFileName(const std::string& name, int tile, int tileCount);

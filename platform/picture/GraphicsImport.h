// Graphics importers: pictures of other formats (JPEG, GIF, BMP, TGA, TIFF,
// WebP, SVG and whatever else Qt's image readers and their plug-ins read), in
// the shape of the toolbox's importer calls: find an importer for a file,
// ask its depth and natural bounds, draw it into a graphics world.
//
// Every decode is capped before it allocates: the edges and the pixel count
// below, and Qt's own allocation limit for readers that cannot tell their
// size beforehand. Vector pictures (SVG) have no pixels of their own and are
// drawn at the bounds given with GraphicsImportSetBoundsRect.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/QDTypes.h"

#include <memory>
#include <span>
#include <string>

inline constexpr int kMaxImportEdge = 16384;
inline constexpr Size kMaxImportPixels = Size(1) << 26;

// Result codes of the importers (the toolbox's values).
enum : OSErr {
    cantFindHandler = -2003,  // no importer reads this data
    codecErr = -8960,         // the data is damaged or truncated
};

struct GraphicsImporter;
using GraphicsImportComponent = GraphicsImporter*;

struct ImageDescription {
    SInt16 depth = 32;         // bits per pixel of the stored image: 1 to 8 indexed or grey, 24, 32 with alpha
    Boolean hasAlpha = false;  // the image carries transparency
    Boolean isVector = false;  // drawn at any size (SVG)
    OSType format = 0;         // the reader's format name, first four characters
};

// An importer for the file's data (by its content, else by its name's
// suffix). cantFindHandler when nothing reads it; fnfErr and the like when
// the file cannot be read; memFullErr when it is larger than the importers
// read.
[[nodiscard]] OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* ci);
// The same for bytes held in memory (copied); `nameHint` (may be empty) gives
// a suffix to go by when the content does not tell.
[[nodiscard]] OSErr GetGraphicsImporterForData(std::span<const UInt8> bytes, const std::string& nameHint,
                                               GraphicsImportComponent* ci);
[[nodiscard]] OSErr CloseComponent(GraphicsImportComponent ci);

[[nodiscard]] OSErr GraphicsImportGetImageDescription(GraphicsImportComponent ci, ImageDescription* desc);
// The image's own size at (0, 0). memFullErr for an image over the caps,
// codecErr when the reader cannot tell (the image is then decoded to find
// out, within the caps).
[[nodiscard]] OSErr GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds);
// The rectangle the image is drawn into (the natural bounds until set);
// pixel images are scaled to it.
[[nodiscard]] OSErr GraphicsImportSetBoundsRect(GraphicsImportComponent ci, const Rect* bounds);
[[nodiscard]] OSErr GraphicsImportSetGWorld(GraphicsImportComponent ci, GWorldPtr port);
// When set, drawing also writes the image's transparency into this 1-bit
// world (same bounds as the drawing): a set bit where the alpha is at least
// half. An image without alpha sets every bit of its rectangle.
[[nodiscard]] OSErr GraphicsImportSetMaskGWorld(GraphicsImportComponent ci, GWorldPtr mask);
// Decodes the image and draws it into the graphics world at the bounds,
// over white where it is transparent.
[[nodiscard]] OSErr GraphicsImportDraw(GraphicsImportComponent ci);
// A one-line reason for the last failure of this importer (empty when none).
std::string GraphicsImportGetError(GraphicsImportComponent ci);

struct GraphicsImporterCloser {
    void operator()(GraphicsImporter* ci) const { (void)CloseComponent(ci); }
};
using UniqueGraphicsImporter = std::unique_ptr<GraphicsImporter, GraphicsImporterCloser>;

// Whether a name's suffix (with its dot, any case) is one the importers read.
Boolean IsImportableSuffix(const std::string& suffix);

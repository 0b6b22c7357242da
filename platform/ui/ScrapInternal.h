// Picture conversions of the clipboard that the drag layer shares.
#pragma once

#include "platform/core/MacTypes.h"

#include <QByteArray>

#include <span>
#include <vector>

namespace ui_internal {

// A picture of another program's encoded image (PNG, BMP, ...), within the
// clipboard's limits: noTypeErr when it cannot be read, memFullErr beyond them.
[[nodiscard]] OSErr EncodedImageToPicture(const QByteArray& encoded, std::vector<UInt8>* picture);
// The picture drawn over white as PNG; empty when it cannot be drawn.
QByteArray PictureAsPng(std::span<const UInt8> picture);

}  // namespace ui_internal

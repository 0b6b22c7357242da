// Reads arbitrary bytes as a picture on the clipboard the way a paste does:
// its frame, its selection-region comment and the area its bit images
// cover. None may crash, hang or allocate what the bytes do not justify.
#include "icons/IconConvert.h"
#include "io/Clipboard.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/Regions.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UniqueHandle picture(NewHandleFromBytes(std::span(data, size)));
    if (!picture) return 0;
    Rect frame{};
    QDGetPictureBounds(picture.get(), &frame);
    const Rect image = MakeRect(0, 0, 64, 64);
    (void)CheckPictSize(&image, &frame);
    UniqueRgn outline, covered;
    (void)GetPictureRgn(picture.get(), outline);
    (void)GetPictureMask(picture.get(), covered);
    return 0;
}

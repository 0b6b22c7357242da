// Converts arbitrary bytes, taken as a picture, into an icon member (the
// first byte chooses the kind): what a paste or a drop into a family window
// does with the clipboard's picture. Neither drawing, the shape mask nor the
// colour mapping may crash, hang or over-allocate. Seeds: pictures of the
// picture target with a kind byte in front.
#include "icons/IconConvert.h"
#include "image/KorvelIcon.h"
#include "platform/core/Memory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const SInt16 kind = SInt16(data[0] % kIconKindCount);
    UniqueHandle picture(NewHandleFromBytes(std::span(data + 1, size - 1)));
    if (!picture) return 0;
    UniqueHandle member(PictureToIcon(picture.get(), kind));
    if (member && GetHandleSize(member.get()) != Size(gIconSize[size_t(kind)]) * gIconSize[size_t(kind)] *
                                                      gIconDepth[size_t(kind)] / 8)
        __builtin_trap();
    return 0;
}

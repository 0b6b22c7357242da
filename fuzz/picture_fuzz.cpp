// Plays arbitrary bytes as a picture into a small 32-bit world and takes
// their statistics; neither may crash, hang or over-allocate.
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static GWorldPtr world = [] {
        GWorldPtr g = nullptr;
        Rect r = MakeRect(0, 0, 24, 32);
        (void)NewGWorld(&g, 32, &r, nullptr, nullptr, 0);
        return g;
    }();
    if (!world) return 0;
    UniqueHandle pic(NewHandleFromBytes(std::span(data, size)));
    if (!pic) return 0;
    SetGWorld(world, nullptr);
    Rect dst = MakeRect(0, 0, 24, 32);
    (void)DrawPictureChecked(pic.get(), &dst);
    PictInfo info;
    (void)GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0);
    return 0;
}

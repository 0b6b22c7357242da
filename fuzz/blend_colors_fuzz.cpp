// A damaged blend palette file: whatever the bytes, reading its two colours
// either succeeds from bytes that are there or refuses, never reading past
// the resource or crashing.
#include "palettes/BlendPalette.h"
#include "platform/resources/Resources.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RGBColor current, previous;
    const std::span<const UInt8> bytes(data, size);
    if (ParseBlendColors(bytes, &current, &previous) && size < 24) std::abort();

    InitResources();
    const SInt16 ref = OpenResFileFromBytes(bytes, fsRdPerm);
    if (ref == kResFileNotOpen) return 0;
    UseResFile(ref);
    if (Handle clut = Get1Resource(FourCC("clut"), kBlendColorsID)) {
        const std::span<const UInt8> table(reinterpret_cast<const UInt8*>(*clut), size_t(GetHandleSize(clut)));
        if (ParseBlendColors(table, &current, &previous) && table.size() < 24) std::abort();
    }
    CloseResFile(ref);
    return 0;
}

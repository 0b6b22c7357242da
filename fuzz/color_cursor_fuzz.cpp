// A 'crsr' resource from any resource file: whatever the bytes, parsing
// either fails or gives a cursor whose hot spot lies inside it, and drawing
// it at any scale stays within its picture.
#include "platform/ui/Cursors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCrsr crsr;
    if (ParseColorCursor(std::span<const UInt8>(data, size), &crsr) != noErr) return 0;
    if (crsr.crsrHotSpot.v < 0 || crsr.crsrHotSpot.v > 15 || crsr.crsrHotSpot.h < 0 || crsr.crsrHotSpot.h > 15)
        std::abort();
    const CursorImage image = RenderColorCursor(crsr, 3);
    if (image.size != 48 || image.pixels.size() != 48u * 48u) std::abort();
    return 0;
}

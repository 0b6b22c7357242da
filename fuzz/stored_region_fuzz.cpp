// Parses a stored region; whatever parses must write back to a form that
// parses to the same region and writes to the same bytes again.
#include "platform/raster/Regions.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UniqueRgn rgn;
    if (RegionFromStored(std::span<const UInt8>(data, size), rgn) != noErr) return 0;
    std::vector<UInt8> stored = RegionToStored(rgn);
    if (stored.empty()) return 0;  // too large for the stored form
    UniqueRgn again;
    if (RegionFromStored(stored, again) != noErr || !EqualRgn(rgn, again)) std::abort();
    if (RegionToStored(again) != stored) std::abort();
    return 0;
}

// What a region handle points at, shared by the region operations and the
// stored-form codec. Nothing outside platform/raster includes this.
//
// Representation (pixman's): a list of half-open boxes in y-x band order.
// Boxes of one band share top and bottom; bands do not overlap and are sorted
// top to bottom; boxes in a band are sorted left to right and never touch;
// vertically adjacent bands with the same spans are merged. An empty region
// has no boxes. Every coordinate lies in -32767..32767 (bounds are 16-bit), so
// every operation clamps its result to that square.
#pragma once

#include "platform/raster/Regions.h"

#include <pixman.h>

#include <vector>

struct OpaqueRgnHandle {
    pixman_region32_t r;
};

namespace regions {

constexpr int kMinCoord = -32767;
constexpr int kMaxCoord = 32767;

// Replaces the region's contents with `boxes` (any order, overlaps allowed;
// empty boxes ignored). On allocation failure the region is left empty and
// false is returned.
bool AssignBoxes(RgnHandle rgn, const std::vector<pixman_box32_t>& boxes);

// Debug builds re-check the representation after every change.
void CheckValid(RgnHandle rgn);

}  // namespace regions

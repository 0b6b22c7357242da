// Patterns from resources: single 'PAT ' resources and 'PAT#' lists (a
// big-endian count, then eight bytes per pattern).
#pragma once

#include "platform/raster/QDTypes.h"

// Pattern `index` (from 1) of the 'PAT#' list along the resource chain.
// False, and *pat unchanged, when the list or the item is missing.
Boolean GetIndPattern(Pattern* pat, SInt16 patternListID, SInt16 index);
// The 'PAT ' resource patternID; false and *pat unchanged when missing.
Boolean GetPattern(Pattern* pat, SInt16 patternID);

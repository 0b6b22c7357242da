// The toolbox's pseudo-random generator: a Lehmer sequence (multiplier 16807,
// modulus 2^31 − 1) whose seed anyone may set, so that a run can be repeated.
#pragma once

#include "platform/core/MacTypes.h"

// The next value, −32767 to 32767, from the low 16 bits of the new seed.
SInt16 Random();
// The seed; 0 is taken as 1 (0 would repeat forever).
void SetQDRandomSeed(SInt32 seed);
SInt32 GetQDRandomSeed();

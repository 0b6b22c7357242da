#include "platform/core/Random.h"

namespace {

constexpr SInt64 kModulus = 0x7FFFFFFF;
SInt32 gRandSeed = 1;

}  // namespace

SInt16 Random() {
    gRandSeed = SInt32((SInt64(gRandSeed) * 16807) % kModulus);
    const SInt16 value = SInt16(UInt16(gRandSeed & 0xFFFF));
    return value == -32768 ? SInt16(0) : value;
}

void SetQDRandomSeed(SInt32 seed) {
    SInt64 s = SInt64(seed) % kModulus;
    if (s < 0) s += kModulus;
    gRandSeed = s == 0 ? 1 : SInt32(s);
}

SInt32 GetQDRandomSeed() { return gRandSeed; }

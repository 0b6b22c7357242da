// Transfer modes as small pure functions, chosen from tables by mode number.
// CopyBits and the pen share them so that a mode means the same everywhere.
//
// Boolean modes (0-7 on a source, 8-15 the same on a pattern):
//  - indexed destinations combine index values, masked to the depth, after the
//    source has been mapped into the destination's table;
//  - 32-bit destinations combine in "ink space", where black is all ones
//    (ink = ~rgb), so or darkens, xor with black inverts and bic whitens;
//  - a 1-bit source or a pattern draws with the port's colours instead: see
//    OneBitAction.
// Arithmetic modes work on 16-bit RGB components. An 8-bit component widens
// as c * 257 (0xAB -> 0xABAB) and narrows as c >> 8; the two are inverse on
// every 8-bit value, and every caller uses exactly these two.
#pragma once

#include "platform/raster/QDTypes.h"

#include <algorithm>

namespace xfer {

constexpr UInt16 Widen8(UInt8 c) { return UInt16(c * 257); }
constexpr UInt8 Narrow16(UInt16 c) { return UInt8(c >> 8); }

// 0x00RRGGBB (any pad byte is ignored) <-> RGBColor.
constexpr RGBColor RGBFrom24(UInt32 p) {
    return RGBColor{Widen8(UInt8(p >> 16)), Widen8(UInt8(p >> 8)), Widen8(UInt8(p))};
}
constexpr UInt32 RGBTo24(const RGBColor& c) {
    return UInt32(Narrow16(c.red)) << 16 | UInt32(Narrow16(c.green)) << 8 | Narrow16(c.blue);
}

// ---- Boolean modes ---------------------------------------------------------

constexpr bool IsBooleanMode(SInt16 mode) { return mode >= 0 && mode <= 15; }
// The source is complemented in modes 4-7 and 12-15.
constexpr bool InvertsSource(SInt16 mode) { return (mode & 4) != 0; }

// Index values: s already mapped into the destination table; mask = 2^depth - 1.
using IndexOp = UInt32 (*)(UInt32 s, UInt32 d, UInt32 mask);
constexpr UInt32 IndexCopy(UInt32 s, UInt32, UInt32 m) { return s & m; }
constexpr UInt32 IndexOr(UInt32 s, UInt32 d, UInt32 m) { return (s | d) & m; }
constexpr UInt32 IndexXor(UInt32 s, UInt32 d, UInt32 m) { return (s ^ d) & m; }
constexpr UInt32 IndexBic(UInt32 s, UInt32 d, UInt32 m) { return d & ~s & m; }
constexpr UInt32 IndexNotCopy(UInt32 s, UInt32, UInt32 m) { return ~s & m; }
constexpr UInt32 IndexNotOr(UInt32 s, UInt32 d, UInt32 m) { return (~s | d) & m; }
constexpr UInt32 IndexNotXor(UInt32 s, UInt32 d, UInt32 m) { return (~s ^ d) & m; }
constexpr UInt32 IndexNotBic(UInt32 s, UInt32 d, UInt32 m) { return d & s & m; }
inline constexpr IndexOp kIndexOps[8] = {IndexCopy,    IndexOr,    IndexXor,    IndexBic,
                                         IndexNotCopy, IndexNotOr, IndexNotXor, IndexNotBic};
constexpr IndexOp IndexOpFor(SInt16 mode) { return kIndexOps[mode & 7]; }

// 0x00RRGGBB values in ink space; the result's top byte is 0.
using DirectOp = UInt32 (*)(UInt32 s, UInt32 d);
constexpr UInt32 kRGBMask = 0x00FFFFFF;
constexpr UInt32 DirectCopy(UInt32 s, UInt32) { return s & kRGBMask; }
constexpr UInt32 DirectOr(UInt32 s, UInt32 d) { return s & d & kRGBMask; }
constexpr UInt32 DirectXor(UInt32 s, UInt32 d) { return ~(s ^ d) & kRGBMask; }
constexpr UInt32 DirectBic(UInt32 s, UInt32 d) { return (d | ~s) & kRGBMask; }
constexpr UInt32 DirectNotCopy(UInt32 s, UInt32 d) { return DirectCopy(~s, d); }
constexpr UInt32 DirectNotOr(UInt32 s, UInt32 d) { return DirectOr(~s, d); }
constexpr UInt32 DirectNotXor(UInt32 s, UInt32 d) { return DirectXor(~s, d); }
constexpr UInt32 DirectNotBic(UInt32 s, UInt32 d) { return DirectBic(~s, d); }
inline constexpr DirectOp kDirectOps[8] = {DirectCopy,    DirectOr,    DirectXor,    DirectBic,
                                           DirectNotCopy, DirectNotOr, DirectNotXor, DirectNotBic};
constexpr DirectOp DirectOpFor(SInt16 mode) { return kDirectOps[mode & 7]; }

// A 1-bit source or a pattern: what one source bit does to the destination
// pixel. copy paints set bits in the foreground and clear bits in the
// background colour; or paints only set bits (foreground); xor inverts under
// set bits; bic paints set bits in the background colour. The not- forms
// complement the bit first.
enum class BitAction : UInt8 { Keep, Fore, Back, Invert };
constexpr BitAction OneBitAction(SInt16 mode, bool bit) {
    if (InvertsSource(mode)) bit = !bit;
    switch (mode & 3) {
    case 0: return bit ? BitAction::Fore : BitAction::Back;
    case 1: return bit ? BitAction::Fore : BitAction::Keep;
    case 2: return bit ? BitAction::Invert : BitAction::Keep;
    default: return bit ? BitAction::Back : BitAction::Keep;
    }
}
// Inversion of a destination pixel: all index bits, or all colour bits.
constexpr UInt32 InvertIndex(UInt32 d, UInt32 mask) { return ~d & mask; }
constexpr UInt32 InvertDirect(UInt32 d) { return ~d & kRGBMask; }

// ---- Arithmetic modes ------------------------------------------------------

// One component; `op` is the matching component of the port's OpColor.
using ComponentOp = UInt16 (*)(UInt16 s, UInt16 d, UInt16 op);
// d + (s - d) * w / 65535, rounded to nearest: w = 0 keeps d, 65535 gives s.
constexpr UInt16 BlendComponent(UInt16 s, UInt16 d, UInt16 w) {
    return UInt16((UInt32(s) * w + UInt32(d) * (65535u - w) + 32767u) / 65535u);
}
constexpr UInt16 AddPinComponent(UInt16 s, UInt16 d, UInt16 pin) {
    return UInt16(std::min<UInt32>(UInt32(s) + d, pin));
}
constexpr UInt16 SubPinComponent(UInt16 s, UInt16 d, UInt16 pin) {
    return UInt16(std::max<SInt32>(SInt32(d) - SInt32(s), pin));
}

constexpr ComponentOp ArithmeticOpFor(SInt16 mode) {
    switch (mode) {
    case blend: return BlendComponent;
    case addPin: return AddPinComponent;
    case subPin: return SubPinComponent;
    default: return nullptr;
    }
}
constexpr RGBColor ApplyArithmetic(ComponentOp f, const RGBColor& s, const RGBColor& d, const RGBColor& op) {
    return RGBColor{f(s.red, d.red, op.red), f(s.green, d.green, op.green), f(s.blue, d.blue, op.blue)};
}

// transparent (36): the destination keeps its pixel where the source colour
// is the port's background colour, and takes the source elsewhere.
constexpr bool TransparentKeeps(const RGBColor& s, const RGBColor& background) { return s == background; }

// ---- Mode classes ------------------------------------------------------------

enum class ModeClass : UInt8 { Boolean, Arithmetic, Transparent, Dither };
// How CopyBits treats a mode: the pattern modes and every mode it does not
// know behave as copy.
constexpr ModeClass ClassOf(SInt16 mode) {
    if (mode >= 0 && mode <= 7) return ModeClass::Boolean;
    if (ArithmeticOpFor(mode)) return ModeClass::Arithmetic;
    if (mode == transparent) return ModeClass::Transparent;
    if (mode == ditherCopy) return ModeClass::Dither;
    return ModeClass::Boolean;
}
// The boolean mode used for `mode` in CopyBits (unknown modes copy).
constexpr SInt16 CopyBitsBooleanMode(SInt16 mode) { return (mode >= 0 && mode <= 7) ? mode : SInt16(srcCopy); }

}  // namespace xfer

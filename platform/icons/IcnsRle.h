// The run-length coder of the 32-bit members of an icon family ('is32',
// 'il32', 'ih32', 'it32'). Each colour plane is packed on its own, red, then
// green, then blue; the pad byte of the pixels is not stored. A control byte
// c < 0x80 is followed by c + 1 literal bytes; c >= 0x80 repeats the next
// byte c - 0x80 + 3 times (3 to 130). A run never crosses the end of a plane.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <vector>

inline constexpr size_t kIcnsMaxLiteral = 128;
inline constexpr size_t kIcnsMinRun = 3;
inline constexpr size_t kIcnsMaxRun = 130;

// Appends the packed form of one plane to `out`.
void IcnsPackPlane(std::span<const UInt8> plane, std::vector<UInt8>& out);

// Packs pixels of four bytes each (pad, red, green, blue). The size of
// `pixels` must be a multiple of 4; a trailing partial pixel is ignored.
std::vector<UInt8> IcnsRleCompress(std::span<const UInt8> pixels);

// Unpacks into `pixels` (pad, red, green, blue per pixel; the pad byte is
// set to 0). Every plane must be complete: a run or literal that would cross
// the end of its plane, or input that ends before the third plane is full,
// is paramErr. Bytes after the third
// plane are ignored. `consumed` (optional) receives the bytes read; `reason`
// (optional) a one-line explanation of a failure. After a failure `pixels`
// holds whatever was unpacked before it and zeros elsewhere.
[[nodiscard]] OSErr IcnsRleDecompress(std::span<const UInt8> packed, std::span<UInt8> pixels,
                                      size_t* consumed = nullptr, const char** reason = nullptr);

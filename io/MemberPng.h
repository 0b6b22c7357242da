// Icon members and pictures as PNG data: what goes out to another
// application (the external editor, `korvel convert --member`) and what
// comes back. A member goes out at its own size, opaque; a PNG comes back as
// a 32-bit picture of its pixels over white.
#pragma once

#include "image/KorvelIcon.h"
#include "platform/raster/QDTypes.h"

#include <span>
#include <string>
#include <vector>

// The largest PNG taken back: far more than any member needs.
inline constexpr size_t kMaxMemberPngPixels = size_t(4096) * 4096;

// The member as PNG bytes; paramErr when the icon has no such member.
[[nodiscard]] OSErr MemberToPng(const KorvelIcon& icon, SInt16 kind, std::vector<UInt8>* png);
// A picture of the PNG's pixels, or none with the reason in `why`.
PicHandle PngToPicture(std::span<const UInt8> png, std::string* why);

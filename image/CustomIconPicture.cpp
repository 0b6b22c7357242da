// The picture a custom icon is published as for Linux file managers.
#include "image/CustomIcons.h"

#include "platform/core/Memory.h"
#include "platform/raster/ColorTables.h"

namespace {

// One member that can be drawn, with the masks that may go with it: an
// 8-bit mask first, else the mask half of a 1-bit pair.
struct Candidate {
    OSType type;
    int edge;
    int depth;
    OSType mask8;
    OSType mask1;
};

// Largest first; at one size the deepest first.
constexpr Candidate kCandidates[] = {
    {FourCC("it32"), 128, 32, FourCC("t8mk"), 0},
    {FourCC("il32"), 32, 32, FourCC("l8mk"), FourCC("ICN#")},
    {FourCC("icl8"), 32, 8, 0, FourCC("ICN#")},
    {FourCC("icl4"), 32, 4, 0, FourCC("ICN#")},
    {FourCC("ICN#"), 32, 1, 0, FourCC("ICN#")},
    {FourCC("is32"), 16, 32, FourCC("s8mk"), FourCC("ics#")},
    {FourCC("ics8"), 16, 8, 0, FourCC("ics#")},
    {FourCC("ics4"), 16, 4, 0, FourCC("ics#")},
    {FourCC("ics#"), 16, 1, 0, FourCC("ics#")},
};

// The member's data when it has exactly `size` bytes; empty otherwise.
std::vector<UInt8> MemberData(IconFamilyHandle family, OSType type, size_t size) {
    UniqueHandle h(NewHandle(0));
    if (!h || GetIconFamilyData(family, type, h.get()) != noErr) return {};
    const auto bytes = HandleBytes(h.get());
    if (bytes.size() != size) return {};
    return {bytes.begin(), bytes.end()};
}

bool BitAt(std::span<const UInt8> bits, size_t index) { return bits[index / 8] & (0x80 >> (index % 8)); }

}  // namespace

OSErr IconFamilyToRgbaImage(IconFamilyHandle family, RgbaImage* image) {
    if (!family || !image) return paramErr;
    for (const Candidate& c : kCandidates) {
        const size_t count = size_t(c.edge) * size_t(c.edge);
        // A 1-bit member holds its image and its mask.
        const size_t size = c.depth == 1 ? count / 4 : count * size_t(c.depth) / 8;
        const std::vector<UInt8> data = MemberData(family, c.type, size);
        if (data.empty()) continue;
        const std::vector<UInt8> mask8 = c.mask8 ? MemberData(family, c.mask8, count) : std::vector<UInt8>();
        const std::vector<UInt8> pair =
            mask8.empty() && c.mask1 ? MemberData(family, c.mask1, count / 4) : std::vector<UInt8>();
        const std::span<const UInt8> mask1 = pair.empty() ? std::span<const UInt8>() : std::span(pair).subspan(count / 8);
        const CTabHandle table = c.depth == 4 || c.depth == 8 ? StandardCTable(c.depth) : nullptr;
        if ((c.depth == 4 || c.depth == 8) && CTabReadableCount(table) < (1 << c.depth)) return memFullErr;

        image->width = image->height = c.edge;
        image->pixels.assign(count * 4, 0);
        for (size_t i = 0; i < count; ++i) {
            UInt8* out = &image->pixels[i * 4];
            if (c.depth == 32) {
                out[0] = data[i * 4 + 1];
                out[1] = data[i * 4 + 2];
                out[2] = data[i * 4 + 3];
            } else if (c.depth == 1) {
                const UInt8 level = BitAt(data, i) ? 0 : 255;
                out[0] = out[1] = out[2] = level;
            } else {
                const unsigned index = c.depth == 8 ? data[i] : (data[i / 2] >> (i % 2 ? 0 : 4)) & 0x0F;
                const RGBColor& rgb = CTabEntries(table)[index].rgb;
                out[0] = UInt8(rgb.red >> 8);
                out[1] = UInt8(rgb.green >> 8);
                out[2] = UInt8(rgb.blue >> 8);
            }
            out[3] = !mask8.empty() ? mask8[i] : !mask1.empty() ? (BitAt(mask1, i) ? 255 : 0) : 255;
        }
        return noErr;
    }
    return noSuchIconErr;
}

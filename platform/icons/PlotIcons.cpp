// The chosen member is decoded into colour and coverage (0 transparent, 255
// opaque), transformed, and drawn with CopyDeepMask through a grey mask, so
// partial coverage blends with what the port holds and the port's clip
// applies.
#include "platform/icons/PlotIcons.h"

#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

// The members of one size, deepest colour first.
struct SizeClass {
    int edge;
    OSType color32, mask8, color8, color4, bw;  // bw: the 1-bit image and mask ('ICN#')
};
constexpr SizeClass kThumbnail{128, FourCC("it32"), FourCC("t8mk"), 0, 0, 0};
constexpr SizeClass kLarge{32, FourCC("il32"), FourCC("l8mk"), FourCC("icl8"), FourCC("icl4"), FourCC("ICN#")};
constexpr SizeClass kSmall{16, FourCC("is32"), FourCC("s8mk"), FourCC("ics8"), FourCC("ics4"), FourCC("ics#")};

struct Decoded {
    int edge = 0;
    std::vector<UInt32> rgb;     // 0x00RRGGBB
    std::vector<UInt8> coverage;  // 255 opaque
};

// The member's bytes when they are exactly `bytes` long, else empty.
std::span<const UInt8> Member(IconSuiteRef suite, OSType type, Size bytes) {
    Handle h = nullptr;
    if (type == 0 || GetIconFromSuite(&h, suite, type) != noErr || !h || GetHandleSize(h) != bytes) return {};
    return HandleBytes(h);
}

UInt32 IndexedPixel(std::span<const UInt8> data, int depth, int i) {
    const int bit = i * depth;
    return (data[size_t(bit >> 3)] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

// Colour from the deepest member of the size; coverage from its best mask.
bool Decode(const SizeClass& size, IconSuiteRef suite, Decoded* out) {
    const int n = size.edge * size.edge;
    const std::span<const UInt8> bw = Member(suite, size.bw, Size(n / 4));  // image and mask, 1 bit each
    std::span<const UInt8> color;
    int depth = 0;
    if (!(color = Member(suite, size.color32, Size(n) * 4)).empty()) depth = 32;
    else if (!(color = Member(suite, size.color8, Size(n))).empty()) depth = 8;
    else if (!(color = Member(suite, size.color4, Size(n / 2))).empty()) depth = 4;
    else if (!bw.empty()) color = bw.first(size_t(n / 8)), depth = 1;
    else return false;

    out->edge = size.edge;
    out->rgb.assign(size_t(n), 0);
    out->coverage.assign(size_t(n), 255);
    CTabHandle table = depth == 32 ? nullptr : StandardCTable(depth);
    for (int i = 0; i < n; ++i) {
        if (depth == 32) {
            const UInt8* p = &color[size_t(i) * 4];
            out->rgb[size_t(i)] = UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
        } else {
            const RGBColor& c = CTabEntries(table)[IndexedPixel(color, depth, i)].rgb;
            out->rgb[size_t(i)] = UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
        }
    }
    const std::span<const UInt8> mask8 = depth == 32 ? Member(suite, size.mask8, Size(n)) : std::span<const UInt8>();
    if (!mask8.empty()) {
        std::copy(mask8.begin(), mask8.end(), out->coverage.begin());
    } else if (!bw.empty()) {
        const std::span<const UInt8> mask1 = bw.subspan(size_t(n / 8));
        for (int i = 0; i < n; ++i) out->coverage[size_t(i)] = IndexedPixel(mask1, 1, i) ? 255 : 0;
    }
    return true;
}

UInt32 MapChannels(UInt32 rgb, UInt32 (*f)(UInt32)) {
    return f((rgb >> 16) & 0xFF) << 16 | f((rgb >> 8) & 0xFF) << 8 | f(rgb & 0xFF);
}

// The browser's looks: an open item is a grey hatch in the icon's shape, an
// offline one faded halfway to white, a selected one darkened by a third.
void Transform(Decoded& icon, IconTransformType transform) {
    const IconTransformType base = IconTransformType(transform & ~kTransformSelected);
    for (int v = 0; v < icon.edge; ++v) {
        for (int h = 0; h < icon.edge; ++h) {
            UInt32& p = icon.rgb[size_t(v * icon.edge + h)];
            if (base == kTransformOpen) p = ((h + v) & 1) ? 0xDDDDDD : 0x777777;
            if (base == kTransformOffline) p = MapChannels(p, [](UInt32 c) { return c + (255 - c) / 2; });
            if (transform & kTransformSelected) p = MapChannels(p, [](UInt32 c) { return c * 2 / 3; });
        }
    }
}

}  // namespace

OSErr PlotIconSuite(const Rect* theRect, IconAlignmentType, IconTransformType transform, IconSuiteRef theIconSuite) {
    if (!theRect || !theIconSuite) return paramErr;
    const int side = std::min(RectWidth(*theRect), RectHeight(*theRect));
    if (side <= 0) return noErr;

    Decoded icon;
    const SizeClass* order[3] = {&kSmall, &kLarge, nullptr};
    if (side >= 128) order[0] = &kThumbnail, order[1] = &kLarge, order[2] = &kSmall;
    else if (side > 16) order[0] = &kLarge, order[1] = &kSmall;
    bool found = false;
    for (const SizeClass* size : order)
        if (size && (found = Decode(*size, theIconSuite, &icon))) break;
    if (!found) return noSuchIconErr;
    Transform(icon, transform);

    const Rect bounds{0, 0, SInt16(icon.edge), SInt16(icon.edge)};
    UniqueGWorld image, mask;
    OSErr err = NewGWorld(image.out(), 32, &bounds, nullptr, nullptr, 0);
    if (err == noErr) err = NewGWorld(mask.out(), 32, &bounds, nullptr, nullptr, 0);
    if (err != noErr) return err;
    const PixMap& imageMap = **GetGWorldPixMap(image.get());
    const PixMap& maskMap = **GetGWorldPixMap(mask.get());
    for (int v = 0; v < icon.edge; ++v) {
        UInt8* imageRow = PixRow(imageMap, v);
        UInt8* maskRow = PixRow(maskMap, v);
        for (int h = 0; h < icon.edge; ++h) {
            const UInt32 rgb = icon.rgb[size_t(v * icon.edge + h)];
            // In a deep mask black keeps the source and white the destination.
            const UInt8 grey = UInt8(255 - icon.coverage[size_t(v * icon.edge + h)]);
            UInt8* ip = imageRow + h * 4;
            UInt8* mp = maskRow + h * 4;
            ip[0] = 0, ip[1] = UInt8(rgb >> 16), ip[2] = UInt8(rgb >> 8), ip[3] = UInt8(rgb);
            mp[0] = 0, mp[1] = mp[2] = mp[3] = grey;
        }
    }
    // Centred in the rectangle's largest square.
    Rect dst{0, 0, SInt16(side), SInt16(side)};
    OffsetRect(&dst, SInt16(theRect->left + (RectWidth(*theRect) - side) / 2),
               SInt16(theRect->top + (RectHeight(*theRect) - side) / 2));
    CopyDeepMask(GetPortBitMapForCopyBits(image.get()), GetPortBitMapForCopyBits(mask.get()),
                 GetPortBitMapForCopyBits(GetQDGlobalsThePort()), &bounds, &bounds, &dst, srcCopy, nullptr);
    return noErr;
}

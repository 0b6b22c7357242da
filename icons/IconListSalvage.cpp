// Reading what can be read of a damaged icon file. The Resource Manager
// refuses a fork whose map lists a type and ID twice, or whose references
// point outside the data area; an icon file like that still holds icons the
// user wants. This reader walks the map with every count and offset checked
// against the bytes, keeps the first resource of each type and ID and every
// resource whose data lies inside the file and is not shared with another,
// and counts what it left out.
#include "icons/IconListInternal.h"

#include <iterator>
#include <map>
#include <set>
#include <utility>

namespace {

UInt32 U32(std::span<const UInt8> b, size_t at) {
    return at + 4 <= b.size() ? UInt32(b[at]) << 24 | UInt32(b[at + 1]) << 16 | UInt32(b[at + 2]) << 8 | b[at + 3]
                              : 0;
}
UInt16 U16(std::span<const UInt8> b, size_t at) { return at + 2 <= b.size() ? UInt16(b[at] << 8 | b[at + 1]) : 0; }

}  // namespace

OSErr SalvageResourceFork(std::span<const UInt8> bytes, std::vector<UInt8>* out, int* skipped) {
    *skipped = 0;
    if (bytes.size() < kResourceForkHeaderSize) return mapReadErr;
    const size_t dataOff = U32(bytes, 0), mapOff = U32(bytes, 4), dataLen = U32(bytes, 8), mapLen = U32(bytes, 12);
    if (dataOff > bytes.size() || dataLen > bytes.size() - dataOff || mapOff > bytes.size() ||
        mapLen > bytes.size() - mapOff || mapLen < kResourceMapHeaderSize)
        return mapReadErr;
    const std::span<const UInt8> data = bytes.subspan(dataOff, dataLen);
    const std::span<const UInt8> map = bytes.subspan(mapOff, mapLen);
    const size_t typeList = U16(map, 24), nameList = U16(map, 26);
    if (typeList + 2 > map.size()) return mapReadErr;
    const int typeCount = SInt16(U16(map, typeList)) + 1;

    ResourceForkImage image;
    std::set<std::pair<ResType, ResID>> seen;
    // Blocks already taken, start to end: a block shared by two references
    // is kept once, so that the salvaged fork never outgrows the input.
    std::map<size_t, size_t> taken;
    auto overlaps = [&](size_t start, size_t end) {
        auto next = taken.lower_bound(start);
        if (next != taken.end() && next->first < end) return true;
        return next != taken.begin() && std::prev(next)->second > start;
    };
    for (int t = 0; t < typeCount; ++t) {
        const size_t entry = typeList + 2 + size_t(t) * kResourceTypeEntrySize;
        if (entry + kResourceTypeEntrySize > map.size()) {
            ++*skipped;
            break;
        }
        const ResType type = U32(map, entry);
        const int refCount = SInt16(U16(map, entry + 4)) + 1;
        const size_t refs = typeList + U16(map, entry + 6);
        for (int r = 0; r < refCount; ++r) {
            const size_t ref = refs + size_t(r) * kResourceRefEntrySize;
            if (ref + kResourceRefEntrySize > map.size()) {
                *skipped += refCount - r;
                break;
            }
            ForkResource res;
            res.type = type;
            res.id = ResID(U16(map, ref));
            const SInt16 nameOff = SInt16(U16(map, ref + 2));
            res.attributes = UInt8(map[ref + 4] & ~resChanged);
            const size_t at = size_t(U32(map, ref + 4) & 0xFFFFFF);
            const bool lengthInside = at <= data.size() && data.size() - at >= 4;
            const size_t len = lengthInside ? U32(data, at) : 0;
            if (!lengthInside || len > data.size() - at - 4 || overlaps(at, at + 4 + len) ||
                !seen.insert({type, res.id}).second) {
                ++*skipped;
                continue;
            }
            taken[at] = at + 4 + len;
            res.data.assign(data.begin() + std::ptrdiff_t(at + 4), data.begin() + std::ptrdiff_t(at + 4 + len));
            const size_t name = nameList + size_t(nameOff);
            if (nameOff >= 0 && name < map.size() && name + 1 + map[name] <= map.size()) {
                res.hasName = true;
                res.name.assign(reinterpret_cast<const char*>(map.data() + name + 1), map[name]);
            }
            image.resources.push_back(std::move(res));
        }
    }
    return SerializeResourceFork(image, out);
}

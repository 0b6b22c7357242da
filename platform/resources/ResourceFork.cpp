#include "platform/resources/ResourceFork.h"

#include "platform/core/ByteIO.h"

#include <algorithm>
#include <unordered_set>

namespace {

struct Span {
    size_t start;
    size_t end;  // exclusive
};

struct Header {
    UInt32 dataOffset = 0;
    UInt32 mapOffset = 0;
    UInt32 dataLength = 0;
    UInt32 mapLength = 0;
};

// Checks the header against the input size; the reason on failure.
const char* CheckHeader(std::span<const UInt8> bytes, Header* h) {
    ByteReader r(bytes);
    h->dataOffset = r.u32be();
    h->mapOffset = r.u32be();
    h->dataLength = r.u32be();
    h->mapLength = r.u32be();
    if (!r.ok()) return "the resource fork is shorter than its header";
    const size_t size = bytes.size();
    if (h->dataOffset == 0 && h->mapOffset != 0)
        return "not a Macintosh resource fork (a zero first word starts an Apple IIgs fork)";
    if (h->dataOffset < kResourceForkHeaderSize || h->dataOffset > size ||
        h->dataLength > size - h->dataOffset)
        return "the resource data area lies outside the file";
    if (h->mapOffset < kResourceForkHeaderSize || h->mapOffset > size || h->mapLength > size - h->mapOffset)
        return "the resource map lies outside the file";
    if (h->mapLength < kResourceMapHeaderSize + 2) return "the resource map is too short";
    const size_t dataEnd = size_t(h->dataOffset) + h->dataLength;
    const size_t mapEnd = size_t(h->mapOffset) + h->mapLength;
    if (h->dataLength > 0 && h->dataOffset < mapEnd && h->mapOffset < dataEnd)
        return "the resource data area and map overlap";
    return nullptr;
}

// Sorts the spans and tells whether any two overlap.
bool AnyOverlap(std::vector<Span>& spans) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].start < spans[i - 1].end) return true;
    return false;
}

[[nodiscard]] OSErr Fail(std::string* reason, const char* why) {
    if (reason) *reason = why;
    return mapReadErr;
}

UInt64 TypeIdKey(ResType type, ResID id) { return UInt64(type) << 16 | UInt16(id); }

}  // namespace

bool LooksLikeResourceFork(std::span<const UInt8> bytes) {
    Header h;
    return CheckHeader(bytes, &h) == nullptr;
}

OSErr ParseResourceFork(std::span<const UInt8> bytes, ResourceForkImage* image, std::string* reason) {
    if (!image) return paramErr;
    if (bytes.empty()) {
        if (reason) *reason = "the resource fork is empty";
        return eofErr;
    }
    Header h;
    if (const char* why = CheckHeader(bytes, &h)) return Fail(reason, why);

    ResourceForkImage out;
    if (h.dataOffset >= kResourceForkDataStart && h.mapOffset >= kResourceForkDataStart) {
        std::copy_n(bytes.begin() + kResourceForkHeaderSize, out.headerData.size(), out.headerData.begin());
    }
    const auto data = bytes.subspan(h.dataOffset, h.dataLength);
    const auto map = bytes.subspan(h.mapOffset, h.mapLength);

    ByteReader m(map);
    m.skip(kResourceForkHeaderSize + 4 + 2);
    out.fileAttributes = m.u16be();
    const size_t typeListOffset = m.u16be();
    const size_t nameListOffset = m.u16be();
    if (!m.ok()) return Fail(reason, "the resource map is too short");
    if (typeListOffset < kResourceMapHeaderSize || typeListOffset > map.size() - 2)
        return Fail(reason, "the type list lies outside the resource map");
    if (nameListOffset < kResourceMapHeaderSize || nameListOffset > map.size())
        return Fail(reason, "the name list lies outside the resource map");

    m.seek(typeListOffset);
    const SInt16 typeCountMinusOne = m.s16be();
    if (typeCountMinusOne < -1) return Fail(reason, "the type count is negative");
    const size_t typeCount = size_t(typeCountMinusOne + 1);
    const size_t typeListEnd = typeListOffset + 2 + typeCount * kResourceTypeEntrySize;
    if (typeListEnd > nameListOffset) return Fail(reason, "the type list runs into the name list");

    struct TypeEntry {
        ResType type;
        size_t count;
        size_t refListStart;  // from the map's start
    };
    std::vector<TypeEntry> types;
    types.reserve(typeCount);
    std::vector<Span> refLists;
    std::unordered_set<ResType> seenTypes;
    size_t totalRefs = 0;
    for (size_t i = 0; i < typeCount; ++i) {
        TypeEntry t;
        t.type = m.u32be();
        const SInt16 countMinusOne = m.s16be();
        t.refListStart = typeListOffset + m.u16be();
        if (countMinusOne < -1) return Fail(reason, "a resource count is negative");
        t.count = size_t(countMinusOne + 1);
        if (!seenTypes.insert(t.type).second) return Fail(reason, "a resource type is listed twice");
        const size_t end = t.refListStart + t.count * kResourceRefEntrySize;
        if (t.count > 0 && (t.refListStart < typeListEnd || end > nameListOffset))
            return Fail(reason, "a reference list lies outside its place in the resource map");
        if (t.count > 0) refLists.push_back({t.refListStart, end});
        totalRefs += t.count;
        types.push_back(t);
    }
    if (!m.ok()) return Fail(reason, "the type list is cut short");
    // Lists that share bytes would let a small map describe any number of
    // resources; disjoint lists bound the count by the map's size.
    if (AnyOverlap(refLists)) return Fail(reason, "two reference lists overlap");

    out.resources.reserve(totalRefs);
    std::vector<Span> blocks;
    blocks.reserve(totalRefs);
    std::unordered_set<UInt64> seenIds;
    seenIds.reserve(totalRefs);
    const auto names = map.subspan(nameListOffset);
    for (const TypeEntry& t : types) {
        m.seek(t.refListStart);
        for (size_t i = 0; i < t.count; ++i) {
            ForkResource res;
            res.type = t.type;
            res.id = m.s16be();
            const SInt16 nameOffset = m.s16be();
            res.attributes = m.u8();
            const size_t dataOffset = size_t(m.u8()) << 16 | m.u16be();
            m.skip(4);
            if (!m.ok()) return Fail(reason, "a reference list is cut short");
            if (!seenIds.insert(TypeIdKey(res.type, res.id)).second)
                return Fail(reason, "two resources have the same type and ID");

            if (nameOffset != -1) {
                if (nameOffset < 0 || size_t(nameOffset) >= names.size())
                    return Fail(reason, "a resource name lies outside the name list");
                const size_t len = names[size_t(nameOffset)];
                if (len > names.size() - size_t(nameOffset) - 1)
                    return Fail(reason, "a resource name runs past the name list");
                res.hasName = true;
                auto nameBytes = names.subspan(size_t(nameOffset) + 1, len);
                res.name.assign(nameBytes.begin(), nameBytes.end());
            }

            if (dataOffset > data.size() || data.size() - dataOffset < 4)
                return Fail(reason, "a resource's data lies outside the data area");
            ByteReader d(data.subspan(dataOffset));
            const size_t length = d.u32be();
            if (length > d.remaining()) return Fail(reason, "a resource's length runs past the data area");
            blocks.push_back({dataOffset, dataOffset + 4 + length});
            auto body = d.bytes(length);
            res.data.assign(body.begin(), body.end());
            out.resources.push_back(std::move(res));
        }
    }
    // Shared data blocks would multiply the input; no writer produces them.
    if (AnyOverlap(blocks)) return Fail(reason, "two resources share data bytes");

    *image = std::move(out);
    return noErr;
}

OSErr SerializeResourceFork(const ResourceForkImage& image, std::vector<UInt8>* out) {
    std::vector<ForkResourceView> views;
    views.reserve(image.resources.size());
    for (const ForkResource& r : image.resources)
        views.push_back({r.type, r.id, r.hasName, r.name, r.attributes, r.data});
    return SerializeResourceFork(image.headerData, image.fileAttributes, views, out);
}

OSErr SerializeResourceFork(std::span<const UInt8, kResourceForkDataStart - kResourceForkHeaderSize> headerData,
                            UInt16 fileAttributes, std::span<const ForkResourceView> resources,
                            std::vector<UInt8>* out) {
    if (!out) return paramErr;

    // Group by type in order of first appearance, keeping each type's order.
    struct Group {
        ResType type;
        std::vector<const ForkResourceView*> members;
    };
    std::vector<Group> groups;
    std::unordered_set<UInt64> seenIds;
    size_t total = kResourceForkDataStart;
    for (const ForkResourceView& r : resources) {
        total += 4 + r.data.size() + kResourceRefEntrySize + 1 + r.name.size();
        if (!seenIds.insert(TypeIdKey(r.type, r.id)).second) return addResFailed;
        if (r.name.size() > 255) return addResFailed;
        auto g = std::find_if(groups.begin(), groups.end(), [&](const Group& x) { return x.type == r.type; });
        if (g == groups.end()) {
            groups.push_back({r.type, {}});
            g = groups.end() - 1;
        }
        g->members.push_back(&r);
    }
    if (groups.size() > 32768) return addResFailed;

    const size_t refCount = resources.size();
    const size_t typeListOffset = kResourceMapHeaderSize;
    const size_t refListsStart = 2 + groups.size() * kResourceTypeEntrySize;  // from the type list
    const size_t nameListOffset = typeListOffset + refListsStart + refCount * kResourceRefEntrySize;
    if (nameListOffset > 0xFFFF) return addResFailed;

    ByteWriter w;
    w.buffer().reserve(total + kResourceMapHeaderSize + 2 + groups.size() * kResourceTypeEntrySize);
    w.zeros(kResourceForkHeaderSize);
    w.bytes(headerData);

    // Data area.
    std::vector<size_t> dataOffsets;
    dataOffsets.reserve(refCount);
    for (const Group& g : groups) {
        for (const ForkResourceView* r : g.members) {
            const size_t offset = w.size() - kResourceForkDataStart;
            if (offset > kMaxResourceDataOffset || r->data.size() > 0xFFFFFFFFu) return addResFailed;
            dataOffsets.push_back(offset);
            w.u32be(UInt32(r->data.size()));
            w.bytes(r->data);
        }
    }
    const size_t dataLength = w.size() - kResourceForkDataStart;
    const size_t mapOffset = w.size();

    // Map header: a copy of the fork header is patched in below.
    w.zeros(kResourceForkHeaderSize + 4 + 2);
    w.u16be(UInt16(fileAttributes & ~mapChanged));
    w.u16be(UInt16(typeListOffset));
    w.u16be(UInt16(nameListOffset));

    w.s16be(SInt16(SInt32(groups.size()) - 1));
    size_t refListOffset = refListsStart;
    for (const Group& g : groups) {
        if (refListOffset > 0xFFFF) return addResFailed;
        w.u32be(g.type);
        w.s16be(SInt16(SInt32(g.members.size()) - 1));
        w.u16be(UInt16(refListOffset));
        refListOffset += g.members.size() * kResourceRefEntrySize;
    }

    size_t nameOffset = 0;
    size_t index = 0;
    for (const Group& g : groups) {
        for (const ForkResourceView* r : g.members) {
            w.s16be(r->id);
            if (r->hasName) {
                if (nameOffset > 0x7FFF) return addResFailed;
                w.s16be(SInt16(nameOffset));
                nameOffset += 1 + r->name.size();
            } else {
                w.s16be(-1);
            }
            w.u8(UInt8(r->attributes & ~resChanged));
            const size_t offset = dataOffsets[index++];
            w.u8(UInt8(offset >> 16));
            w.u16be(UInt16(offset));
            w.zeros(4);
        }
    }
    for (const Group& g : groups) {
        for (const ForkResourceView* r : g.members) {
            if (!r->hasName) continue;
            w.u8(UInt8(r->name.size()));
            w.bytes(std::span(reinterpret_cast<const UInt8*>(r->name.data()), r->name.size()));
        }
    }
    const size_t mapLength = w.size() - mapOffset;
    if (w.size() > 0xFFFFFFFFu) return addResFailed;

    for (size_t at : {size_t(0), mapOffset}) {
        w.patchU32be(at, UInt32(kResourceForkDataStart));
        w.patchU32be(at + 4, UInt32(mapOffset));
        w.patchU32be(at + 8, UInt32(dataLength));
        w.patchU32be(at + 12, UInt32(mapLength));
    }
    *out = std::move(w.buffer());
    return noErr;
}

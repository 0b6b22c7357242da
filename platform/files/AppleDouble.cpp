#include "platform/files/AppleDouble.h"

#include "platform/core/ByteIO.h"

#include <algorithm>
#include <cstring>

static_assert(kAppleDoubleHeaderSize == 4 + 4 + 16 + 2);
static_assert(kAppleDoubleHeaderSize + 2 * kAppleDoubleEntrySize == 0x32);

const AppleDoubleEntry* AppleDoubleFile::find(UInt32 id) const {
    for (const auto& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

AppleDoubleEntry* AppleDoubleFile::find(UInt32 id) {
    for (auto& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

void AppleDoubleFile::set(UInt32 id, std::span<const UInt8> bytes) {
    AppleDoubleEntry* e = find(id);
    if (!e) {
        entries.push_back(AppleDoubleEntry{id, {}});
        e = &entries.back();
    }
    e->bytes.assign(bytes.begin(), bytes.end());
}

void AppleDoubleFile::remove(UInt32 id) {
    std::erase_if(entries, [id](const AppleDoubleEntry& e) { return e.id == id; });
}

AppleDoubleFile NewAppleDouble() {
    AppleDoubleFile f;
    static constexpr char kFiller[] = "Mac OS X        ";
    static_assert(sizeof(kFiller) == 17);
    std::memcpy(f.filler.data(), kFiller, 16);
    return f;
}

bool HasAppleDoubleMagic(std::span<const UInt8> bytes) {
    ByteReader r(bytes);
    UInt32 magic = r.u32be();
    return r.ok() && (magic == kAppleSingleMagic || magic == kAppleDoubleMagic);
}

OSErr ParseAppleDouble(std::span<const UInt8> bytes, AppleDoubleFile* out) {
    ByteReader r(bytes);
    AppleDoubleFile f;
    f.magic = r.u32be();
    f.version = r.u32be();
    if (!r.ok() || (f.magic != kAppleSingleMagic && f.magic != kAppleDoubleMagic)) return paramErr;
    // Version 1 has the same layout (its filler names the home file system).
    if (f.version != kAppleDoubleVersion2 && f.version != 0x00010000) return paramErr;
    auto filler = r.bytes(16);
    UInt16 count = r.u16be();
    if (!r.ok()) return ioErr;
    std::copy(filler.begin(), filler.end(), f.filler.begin());
    // The table must fit in the file before anything is allocated for it.
    size_t tableEnd = kAppleDoubleHeaderSize + size_t(count) * kAppleDoubleEntrySize;
    if (tableEnd > bytes.size()) return ioErr;

    struct Span {
        UInt32 id, offset, length;
    };
    std::vector<Span> table;
    table.reserve(count);
    for (UInt16 i = 0; i < count; ++i) {
        Span s{r.u32be(), r.u32be(), r.u32be()};
        if (!r.ok()) return ioErr;
        if (s.offset > bytes.size() || s.length > bytes.size() - s.offset) return ioErr;
        if (s.length > 0 && s.offset < tableEnd) return ioErr;
        table.push_back(s);
    }
    std::vector<Span> sorted = table;
    std::sort(sorted.begin(), sorted.end(), [](const Span& a, const Span& b) { return a.id < b.id; });
    for (size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i].id == sorted[i - 1].id) return ioErr;
    std::sort(sorted.begin(), sorted.end(), [](const Span& a, const Span& b) { return a.offset < b.offset; });
    size_t end = 0;
    for (const Span& s : sorted) {
        if (s.length == 0) continue;
        if (s.offset < end) return ioErr;
        end = size_t(s.offset) + s.length;
    }
    for (const Span& s : table) {
        auto b = bytes.subspan(s.offset, s.length);
        f.entries.push_back(AppleDoubleEntry{s.id, std::vector<UInt8>(b.begin(), b.end())});
    }
    *out = std::move(f);
    return noErr;
}

std::vector<UInt8> WriteAppleDouble(const AppleDoubleFile& file) {
    std::vector<const AppleDoubleEntry*> order;
    if (const auto* e = file.find(kEntryFinderInfo)) order.push_back(e);
    for (const auto& e : file.entries)
        if (e.id != kEntryFinderInfo && e.id != kEntryResourceFork) order.push_back(&e);
    if (const auto* e = file.find(kEntryResourceFork)) order.push_back(e);

    ByteWriter w;
    w.u32be(file.magic);
    w.u32be(file.version);
    w.bytes(file.filler);
    w.u16be(UInt16(order.size()));
    UInt32 offset = UInt32(kAppleDoubleHeaderSize + order.size() * kAppleDoubleEntrySize);
    for (const auto* e : order) {
        w.u32be(e->id);
        w.u32be(offset);
        w.u32be(UInt32(e->bytes.size()));
        offset += UInt32(e->bytes.size());
    }
    for (const auto* e : order) w.bytes(e->bytes);
    return std::move(w.buffer());
}

std::array<UInt8, kFinderInfoSize> FinderInfoBytes(const AppleDoubleFile& file) {
    std::array<UInt8, kFinderInfoSize> info{};
    if (const auto* e = file.find(kEntryFinderInfo))
        std::copy_n(e->bytes.begin(), std::min(e->bytes.size(), info.size()), info.begin());
    return info;
}

void SetFinderInfoBytes(AppleDoubleFile* file, std::span<const UInt8, kFinderInfoSize> info) {
    AppleDoubleEntry* e = file->find(kEntryFinderInfo);
    if (!e) {
        file->entries.insert(file->entries.begin(), AppleDoubleEntry{kEntryFinderInfo, {}});
        e = &file->entries.front();
    }
    if (e->bytes.size() < kFinderInfoSize) e->bytes.resize(kFinderInfoSize);
    std::copy(info.begin(), info.end(), e->bytes.begin());
}

#include "platform/icons/IconFamily.h"

#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/icons/IcnsRle.h"

#include "platform/files/FileIO.h"

#include <cstring>
#include <string_view>

namespace {

constexpr OSType kIt32 = FourCC("it32");
// 'it32' data starts with four zero bytes before the packed planes.
constexpr size_t kIt32PrefixSize = 4;

[[nodiscard]] OSErr Damaged(std::string* reason, std::string_view why) {
    if (reason) *reason = why;
    return paramErr;
}

std::span<const UInt8> FamilyBytes(IconFamilyHandle family) {
    auto b = HandleBytes(family);
    return {b.data(), b.size()};
}

// The element table of a family handle; paramErr for a null or damaged one.
[[nodiscard]] OSErr Elements(IconFamilyHandle family, std::vector<IconFamilyElement>* elements, size_t* length) {
    if (!family) return paramErr;
    return ParseIconFamily(FamilyBytes(family), elements, nullptr, length);
}

const IconFamilyElement* Find(const std::vector<IconFamilyElement>& elements, OSType type) {
    for (const auto& e : elements)
        if (e.type == type) return &e;
    return nullptr;
}

void PutElement(ByteWriter& w, OSType type, std::span<const UInt8> data) {
    w.u32be(type);
    w.u32be(UInt32(data.size() + kIconFamilyHeaderSize));
    w.bytes(data);
}

// Puts finished family bytes into a handle (new when *h is null).
[[nodiscard]] OSErr StoreFamily(std::vector<UInt8>& bytes, Handle* h) {
    if (bytes.size() > kMaxIconFamilyBytes) return memFullErr;
    if (!*h) {
        *h = NewHandle(Size(bytes.size()));
        if (!*h) return memFullErr;
    } else {
        SetHandleSize(*h, Size(bytes.size()));
        if (OSErr err = MemError(); err != noErr) return err;
        if (GetHandleSize(*h) != Size(bytes.size())) return memFullErr;
    }
    if (!bytes.empty()) std::memcpy(**h, bytes.data(), bytes.size());
    return noErr;
}

void WriteU32be(std::span<UInt8> bytes, size_t at, UInt32 v) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = UInt8(v >> (24 - 8 * i));
}

}  // namespace

OSErr ParseIconFamily(std::span<const UInt8> bytes, std::vector<IconFamilyElement>* elements, std::string* reason,
                      size_t* familyLength) {
    if (elements) elements->clear();
    ByteReader r(bytes);
    const OSType magic = r.u32be();
    const UInt32 declared = r.u32be();
    if (!r.ok() || magic != kIconFamilyType) return Damaged(reason, "not an icon family (no 'icns' header)");
    if (declared < kIconFamilyHeaderSize) return Damaged(reason, "the family's length is smaller than its header");
    const size_t end = std::min<size_t>(declared, bytes.size());
    if (familyLength) *familyLength = end;
    size_t count = 0;
    size_t pos = kIconFamilyHeaderSize;
    while (pos < end) {
        if (end - pos < kIconFamilyHeaderSize)
            return Damaged(reason, "the family ends inside an element header at offset " + std::to_string(pos));
        r.seek(pos);
        const OSType type = r.u32be();
        const UInt32 length = r.u32be();
        if (length < kIconFamilyHeaderSize)
            return Damaged(reason, "the element at offset " + std::to_string(pos) + " has a length below 8");
        if (length > end - pos)
            return Damaged(reason, "the element at offset " + std::to_string(pos) + " runs past the end of the family");
        if (++count > kMaxIconFamilyElements) return Damaged(reason, "the family has too many elements");
        if (elements) elements->push_back({type, pos, length});
        pos += length;
    }
    return noErr;
}

int PackedIconEdge(OSType type) {
    switch (type) {
        case FourCC("is32"): return 16;
        case FourCC("il32"): return 32;
        case FourCC("ih32"): return 48;
        case FourCC("it32"): return 128;
        default: return 0;
    }
}

OSErr UnpackIconData(OSType type, std::span<const UInt8> stored, std::vector<UInt8>* out, bool* wasPacked,
                     const char** reason) {
    if (wasPacked) *wasPacked = false;
    const int edge = PackedIconEdge(type);
    const size_t plain = size_t(edge) * size_t(edge) * 4;
    if (edge == 0 || stored.empty() || stored.size() == plain) {
        out->assign(stored.begin(), stored.end());
        return noErr;
    }
    if (type == kIt32) {
        if (stored.size() < kIt32PrefixSize || stored[0] || stored[1] || stored[2] || stored[3]) {
            if (reason) *reason = "packed 'it32' data does not start with four zero bytes";
            return paramErr;
        }
        stored = stored.subspan(kIt32PrefixSize);
    }
    out->assign(plain, 0);
    if (wasPacked) *wasPacked = true;
    return IcnsRleDecompress(stored, *out, nullptr, reason);
}

OSErr PackIconData(OSType type, std::span<const UInt8> member, std::vector<UInt8>* out) {
    const int edge = PackedIconEdge(type);
    const size_t plain = size_t(edge) * size_t(edge) * 4;
    out->clear();
    if (edge == 0 || member.empty()) {
        out->assign(member.begin(), member.end());
        return noErr;
    }
    if (member.size() != plain) {
        // Already packed (taken from another family): kept as it is when it
        // unpacks, so that no family this layer writes is unreadable.
        std::vector<UInt8> check;
        if (OSErr err = UnpackIconData(type, member, &check); err != noErr) return err;
        out->assign(member.begin(), member.end());
        return noErr;
    }
    if (type == kIt32) out->assign(kIt32PrefixSize, 0);
    std::vector<UInt8> packed = IcnsRleCompress(member);
    out->insert(out->end(), packed.begin(), packed.end());
    return noErr;
}

OSErr NewIconFamily(IconFamilyHandle* family) {
    if (!family) return paramErr;
    *family = nullptr;
    ByteWriter w;
    w.u32be(kIconFamilyType);
    w.u32be(UInt32(kIconFamilyHeaderSize));
    return StoreFamily(w.buffer(), family);
}

OSErr IconSuiteToIconFamily(IconSuiteRef iconSuite, IconSelectorValue whichIcons, IconFamilyHandle* iconFamily) {
    if (!iconFamily) return paramErr;
    *iconFamily = nullptr;
    if (!iconSuite) return paramErr;
    ByteWriter w;
    w.u32be(kIconFamilyType);
    w.u32be(0);
    std::vector<UInt8> packed;
    for (int bit = 0; bit < 32; ++bit) {
        const OSType type = IconTypeForSelectorBit(bit);
        if (type == 0 || !(whichIcons & (IconSelectorValue(1) << bit))) continue;
        Handle member = nullptr;
        if (OSErr err = GetIconFromSuite(&member, iconSuite, type); err != noErr) return err;
        if (!member) continue;
        if (OSErr err = PackIconData(type, HandleBytes(member), &packed); err != noErr) return err;
        if (w.size() + packed.size() + kIconFamilyHeaderSize > kMaxIconFamilyBytes) return memFullErr;
        PutElement(w, type, packed);
    }
    w.patchU32be(4, UInt32(w.size()));
    return StoreFamily(w.buffer(), iconFamily);
}

OSErr IconFamilyToIconSuite(IconFamilyHandle iconFamily, IconSelectorValue whichIcons, IconSuiteRef* iconSuite) {
    if (!iconSuite) return paramErr;
    *iconSuite = nullptr;
    std::vector<IconFamilyElement> elements;
    if (OSErr err = Elements(iconFamily, &elements, nullptr); err != noErr) return err;
    UniqueIconSuite suite;
    if (OSErr err = NewIconSuite(suite.out()); err != noErr) return err;
    std::vector<UInt8> member;
    for (const auto& e : elements) {
        if (!(SelectorBitForIconType(e.type) & whichIcons)) continue;
        Handle existing = nullptr;
        if (OSErr err = GetIconFromSuite(&existing, suite.get(), e.type); err != noErr) return err;
        if (existing) continue;
        // The family handle may move while members are made: take the
        // bytes afresh for each element.
        if (OSErr err = UnpackIconData(e.type, e.data(FamilyBytes(iconFamily)), &member); err != noErr) return err;
        UniqueHandle h(NewHandleFromBytes(member));
        if (!h) return memFullErr;
        if (OSErr err = AddIconToSuite(h.get(), suite.get(), e.type); err != noErr) return err;
        h.release();
    }
    *iconSuite = suite.release();
    return noErr;
}

OSErr GetIconFamilyData(IconFamilyHandle iconFamily, OSType iconType, Handle h) {
    if (!h) return paramErr;
    std::vector<IconFamilyElement> elements;
    if (OSErr err = Elements(iconFamily, &elements, nullptr); err != noErr) return err;
    const IconFamilyElement* e = Find(elements, iconType);
    if (!e) return noIconDataAvailableErr;
    std::vector<UInt8> member;
    if (OSErr err = UnpackIconData(iconType, e->data(FamilyBytes(iconFamily)), &member); err != noErr) return err;
    SetHandleSize(h, Size(member.size()));
    if (OSErr err = MemError(); err != noErr) return err;
    if (GetHandleSize(h) != Size(member.size())) return memFullErr;
    if (!member.empty()) std::memcpy(*h, member.data(), member.size());
    return noErr;
}

OSErr SetIconFamilyData(IconFamilyHandle iconFamily, OSType iconType, Handle h) {
    if (!h) return paramErr;
    std::vector<IconFamilyElement> elements;
    size_t length = 0;
    if (OSErr err = Elements(iconFamily, &elements, &length); err != noErr) return err;
    std::vector<UInt8> data;
    if (OSErr err = PackIconData(iconType, HandleBytes(h), &data); err != noErr) return err;
    const auto old = FamilyBytes(iconFamily);
    ByteWriter w;
    w.u32be(kIconFamilyType);
    w.u32be(0);
    bool replaced = false;
    for (const auto& e : elements) {
        if (!replaced && e.type == iconType) {
            PutElement(w, iconType, data);
            replaced = true;
        } else {
            w.bytes(old.subspan(e.offset, e.length));
        }
    }
    if (!replaced) PutElement(w, iconType, data);
    if (w.size() > kMaxIconFamilyBytes) return memFullErr;
    w.patchU32be(4, UInt32(w.size()));
    Handle family = iconFamily;
    return StoreFamily(w.buffer(), &family);
}

OSErr NewIconFamilyFromBytes(std::span<const UInt8> bytes, IconFamilyHandle* iconFamily) {
    if (!iconFamily) return paramErr;
    *iconFamily = nullptr;
    if (bytes.size() > kMaxIconFamilyBytes) return memFullErr;
    size_t length = 0;
    if (OSErr err = ParseIconFamily(bytes, nullptr, nullptr, &length); err != noErr) return err;
    std::vector<UInt8> family(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
    WriteU32be(family, 4, UInt32(length));
    return StoreFamily(family, iconFamily);
}

OSErr IconFamilyFileBytes(IconFamilyHandle iconFamily, std::vector<UInt8>* bytes) {
    if (!bytes) return paramErr;
    bytes->clear();
    size_t length = 0;
    if (OSErr err = Elements(iconFamily, nullptr, &length); err != noErr) return err;
    const auto family = FamilyBytes(iconFamily);
    bytes->assign(family.begin(), family.begin() + std::ptrdiff_t(length));
    WriteU32be(*bytes, 4, UInt32(length));
    return noErr;
}

OSErr ReadIconFamilyFile(const std::string& path, IconFamilyHandle* iconFamily) {
    if (!iconFamily) return paramErr;
    *iconFamily = nullptr;
    std::vector<UInt8> bytes;
    if (OSErr err = ReadWholeFile(path, &bytes, kMaxIconFamilyBytes); err != noErr) return err;
    return NewIconFamilyFromBytes(bytes, iconFamily);
}

OSErr WriteIconFamilyFile(const std::string& path, IconFamilyHandle iconFamily) {
    std::vector<UInt8> bytes;
    if (OSErr err = IconFamilyFileBytes(iconFamily, &bytes); err != noErr) return err;
    return WriteFileAtomically(path, bytes);
}

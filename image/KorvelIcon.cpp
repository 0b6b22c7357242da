#include "image/KorvelIcon.h"

#include "app/Shell.h"
#include "image/Colors.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"

#include <cstring>
#include <initializer_list>
#include <vector>

const std::array<OSType, kIconKindCount> gIconType = {
    FourCC("icl8"), FourCC("icl4"), FourCC("ICN#"), FourCC("ICN#"), FourCC("ics8"), FourCC("ics4"), FourCC("ics#"),
    FourCC("ics#"), FourCC("il32"), FourCC("l8mk"), FourCC("is32"), FourCC("s8mk"), FourCC("it32"), FourCC("t8mk"),
};
const std::array<SInt16, kIconKindCount> gIconSize = {32, 32, 32, 32, 16, 16, 16, 16, 32, 32, 16, 16, 128, 128};
const std::array<SInt16, kIconKindCount> gIconDepth = {8, 4, 1, 1, 8, 4, 1, 1, 32, 8, 32, 8, 32, 8};
const std::array<SInt16, kIconKindCount> gIconUseDepth = {8, 8, 8, 8, 8, 8, 8, 8, 32, 32, 32, 32, 32, 32};
const std::array<SInt16, 6> g32BitIconKinds = {kKindIl32, kKindL8mk, kKindIs32, kKindS8mk, kKindIt32, kKindT8mk};

IconMemberSelector gSelector{kClassicIconSelector, false, false};
const std::array<IconSelectorValue, 10> gSelectorList = {
    kSelectorLarge8Bit, kSelectorLarge4Bit, kSelectorLarge1Bit,  kSelectorSmall8Bit,    kSelectorSmall4Bit,
    kSelectorSmall1Bit, kSelectorLarge32Bit, kSelectorLarge8BitMask, kSelectorSmall32Bit, kSelectorSmall8BitMask,
};

namespace {

constexpr OSType kIt32Type = FourCC("it32");
constexpr OSType kT8mkType = FourCC("t8mk");

bool IsKind(SInt16 kind) { return kind >= 0 && kind < kIconKindCount; }

bool IsGreyMaskKind(SInt16 kind) { return kind == kKindL8mk || kind == kKindS8mk || kind == kKindT8mk; }

bool HasBytes(Handle h) { return h && GetHandleSize(h) > 0; }

// One thumbnail member of the family into a new handle of the record, or
// none when the family has no data for it.
[[nodiscard]] OSErr TakeThumbnailData(IconFamilyHandle family, OSType type, Handle* out) {
    *out = nullptr;
    UniqueHandle data(NewHandle(0));
    if (!data) return memFullErr;
    const OSErr err = GetIconFamilyData(family, type, data.get());
    if (err == noIconDataAvailableErr) return noErr;
    if (err != noErr) return err;
    if (GetHandleSize(data.get()) > 0) *out = data.release();
    return noErr;
}

// A detached copy of the application's empty family; the current resource
// file is given back. Without the application's resources (a tool that
// never opened them) the same empty family is made here.
[[nodiscard]] OSErr CopyEmptyIconFamily(IconFamilyHandle* family) {
    *family = nullptr;
    const SInt16 saved = CurResFile();
    const SInt16 app = GetApplicationResFile();
    Handle resource = nullptr;
    if (app != kResFileNotOpen) {
        UseResFile(app);
        resource = Get1Resource(kIconFamilyType, kEmptyIconFamilyResID);
        UseResFile(saved);
    }
    if (!resource) return NewIconFamily(family);
    Handle copy = resource;
    const OSErr err = HandToHand(&copy);
    ReleaseResource(resource);
    if (err != noErr) return err;
    UniqueHandle owner(copy);
    std::vector<IconFamilyElement> elements;
    if (OSErr parsed = ParseIconFamily(HandleBytes(copy), &elements); parsed != noErr) return parsed;
    *family = owner.release();
    return noErr;
}

}  // namespace

Size IconKindDataSize(SInt16 kind) {
    if (!IsKind(kind)) return 0;
    const Size size = gIconSize[size_t(kind)];
    const Size depth = gIconDepth[size_t(kind)];
    return depth == 1 ? size * size * 2 / 8 : size * size * depth / 8;
}

Size IconKindDataOffset(SInt16 kind) {
    if (kind == kKindICNMask) return 128;
    if (kind == kKindIcsMask) return 32;
    return 0;
}

SInt16 IconKindOtherHalf(SInt16 kind) {
    switch (kind) {
        case kKindICNImage: return kKindICNMask;
        case kKindICNMask: return kKindICNImage;
        case kKindIcsImage: return kKindIcsMask;
        case kKindIcsMask: return kKindIcsImage;
        default: return -1;
    }
}

CTabHandle GetIconKindCTable(SInt16 kind) {
    if (!IsKind(kind) || gIconDepth[size_t(kind)] == 32) return nullptr;
    if (IsGreyMaskKind(kind)) return GetGrayscaleCTable(8, true);
    return GetCTable(gIconDepth[size_t(kind)]);
}

IconSelectorValue SystemIconSelector() {
    return gSystemVersion >= 0x0850 ? kAll32IconSelector : kClassicIconSelector;
}

OSErr IconFamilyToKorvelIconWithSelector(IconFamilyHandle family, IconMemberSelector selector, KorvelIcon* icon) {
    if (!icon) return paramErr;
    *icon = {};
    if (!family) return paramErr;
    KorvelIconOwner built;
    if (selector.selector != 0) {
        if (OSErr err = IconFamilyToIconSuite(family, selector.selector, &built->suite); err != noErr) return err;
    }
    if (isThumbnailIconsAvailable) {
        if (selector.withIt32) {
            if (OSErr err = TakeThumbnailData(family, kIt32Type, &built->it32Data); err != noErr) return err;
        }
        if (selector.withT8mk) {
            if (OSErr err = TakeThumbnailData(family, kT8mkType, &built->t8mkData); err != noErr) return err;
        }
    }
    *icon = built.release();
    return noErr;
}

OSErr IconFamilyToKorvelIcon(IconFamilyHandle family, KorvelIcon* icon) {
    return IconFamilyToKorvelIconWithSelector(
        family, {SystemIconSelector(), isThumbnailIconsAvailable, isThumbnailIconsAvailable}, icon);
}

OSErr KorvelIconToIconFamily(const KorvelIcon& icon, IconFamilyHandle* family) {
    if (!family) return paramErr;
    *family = nullptr;
    UniqueHandle built;
    Handle h = nullptr;
    // An error here (memory included) is returned: a family without the
    // suite's members would pass for the icon and lose them when saved.
    const OSErr err = icon.suite ? IconSuiteToIconFamily(icon.suite, kAll32IconSelector, &h) : CopyEmptyIconFamily(&h);
    built.reset(h);
    if (err != noErr) return err;
    if (isThumbnailIconsAvailable) {
        if (icon.it32Data) {
            if (OSErr e = SetIconFamilyData(built.get(), kIt32Type, icon.it32Data); e != noErr) return e;
        }
        if (icon.t8mkData) {
            if (OSErr e = SetIconFamilyData(built.get(), kT8mkType, icon.t8mkData); e != noErr) return e;
        }
    }
    *family = built.release();
    return noErr;
}

OSErr GetDataFromKorvelIcon(Handle* data, const KorvelIcon& icon, SInt16 kind) {
    if (!data) return paramErr;
    *data = nullptr;
    if (!IsKind(kind)) return paramErr;
    if (kind == kKindIt32) *data = icon.it32Data;
    else if (kind == kKindT8mk) *data = icon.t8mkData;
    else if (icon.suite) return GetIconFromSuite(data, icon.suite, gIconType[size_t(kind)]);
    return noErr;
}

OSErr SetDataToKorvelIcon(Handle data, KorvelIcon* icon, SInt16 kind) {
    if (!icon || !IsKind(kind)) return paramErr;
    if (kind == kKindIt32) {
        icon->it32Data = data;
        return noErr;
    }
    if (kind == kKindT8mk) {
        icon->t8mkData = data;
        return noErr;
    }
    if (!icon->suite) {
        if (!data) return noErr;
        if (OSErr err = NewIconSuite(&icon->suite); err != noErr) return err;
    }
    const ResType type = gIconType[size_t(kind)];
    Handle previous = nullptr;
    if (OSErr err = GetIconFromSuite(&previous, icon->suite, type); err != noErr) return err;
    if (OSErr err = AddIconToSuite(data, icon->suite, type); err != noErr) return err;
    // The same handle handed back after an edit in place stays the member;
    // a member still attached to its resource file stays with the file.
    if (previous && previous != data && !IsResourceHandle(previous)) DisposeHandle(previous);
    return noErr;
}

OSErr KorvelIconHas32Icons(const KorvelIcon& icon, Boolean* has32) {
    if (!has32) return paramErr;
    *has32 = false;
    for (SInt16 kind : g32BitIconKinds) {
        Handle data = nullptr;
        if (OSErr err = GetDataFromKorvelIcon(&data, icon, kind); err != noErr) return err;
        if (HasBytes(data)) {
            *has32 = true;
            return noErr;
        }
    }
    return noErr;
}

OSErr KorvelIconHasThumbnailIcon(const KorvelIcon& icon, Boolean* hasThumbnail) {
    if (!hasThumbnail) return paramErr;
    *hasThumbnail = IsKorvelIconHasThumbnailIcon(icon);
    return noErr;
}

Boolean IsKorvelIconHasThumbnailIcon(const KorvelIcon& icon) { return icon.it32Data || icon.t8mkData; }

namespace {

Boolean SuiteHasAny(IconSuiteRef suite, std::initializer_list<OSType> types) {
    if (!suite) return false;
    for (OSType type : types) {
        Handle member = nullptr;
        if (GetIconFromSuite(&member, suite, type) == noErr && member) return true;
    }
    return false;
}

}  // namespace

Boolean Is32Exist(IconSuiteRef suite) {
    return SuiteHasAny(suite, {FourCC("il32"), FourCC("l8mk"), FourCC("is32"), FourCC("s8mk")});
}

Boolean IsValidIconSuite(IconSuiteRef suite) { return SuiteHasAny(suite, {FourCC("ICN#"), FourCC("ics#")}); }

Boolean IsEditableIconFamily(IconFamilyHandle family) {
    static constexpr std::array<OSType, 8> kForeignMembers = {
        FourCC("ich#"), FourCC("ich4"), FourCC("ich8"), FourCC("ih32"),
        FourCC("h8mk"), FourCC("icm#"), FourCC("icm4"), FourCC("icm8"),
    };
    std::vector<IconFamilyElement> elements;
    if (!family || ParseIconFamily(HandleBytes(family), &elements) != noErr) return true;
    for (const auto& e : elements) {
        if (e.length <= kIconFamilyHeaderSize) continue;
        for (OSType foreign : kForeignMembers)
            if (e.type == foreign) return false;
    }
    return true;
}

OSErr DisposeKorvelIcon(KorvelIcon* icon) {
    if (!icon) return paramErr;
    OSErr err = noErr;
    if (icon->suite) err = DisposeIconSuite(icon->suite, true);
    if (icon->it32Data) DisposeHandle(icon->it32Data);
    if (icon->t8mkData && icon->t8mkData != icon->it32Data) DisposeHandle(icon->t8mkData);
    *icon = {};
    return err;
}

PicHandle KorvelIconToPicture(const KorvelIcon& icon, SInt16 kind) {
    if (!IsKind(kind)) return nullptr;
    const SInt16 size = gIconSize[size_t(kind)];
    const SInt16 depth = gIconDepth[size_t(kind)];
    const Rect frame{0, 0, size, size};
    Handle data = nullptr;
    if (GetDataFromKorvelIcon(&data, icon, kind) != noErr || !data) return nullptr;
    if (GetHandleSize(data) != IconKindDataSize(kind)) return nullptr;

    UniqueCTable table(IsGreyMaskKind(kind) ? GetGrayscaleCTable(8, true) : nullptr);
    if (IsGreyMaskKind(kind) && !table) return nullptr;
    UniqueGWorld world;
    if (NewGWorld(world.out(), depth, &frame, table.get(), nullptr, 0) != noErr) return nullptr;
    const PixMap& pm = **GetGWorldPixMap(world.get());
    const size_t rowBytes = size_t(size) * size_t(depth) / 8;
    const UInt8* src = reinterpret_cast<const UInt8*>(*data) + IconKindDataOffset(kind);
    for (int v = 0; v < size; ++v) std::memcpy(PixRow(pm, v), src + size_t(v) * rowBytes, rowBytes);

    SavedGWorld saved;
    SetGWorld(world.get(), nullptr);
    OpenCPicParams params{};
    params.srcRect = frame;
    PicHandle picture = OpenCPicture(&params);
    if (!picture) return nullptr;
    ForeColor(blackColor);
    BackColor(whiteColor);
    ClipRect(&frame);
    // The buffer is copied onto itself: the pixels are recorded at their own
    // depth and table and stay as they are (erasing first would lose them).
    const BitMap* bits = GetPortBitMapForCopyBits(world.get());
    CopyBits(bits, bits, &frame, &frame, srcCopy, nullptr);
    ClosePicture();
    if (QDError() != noErr) {
        KillPicture(picture);
        return nullptr;
    }
    return picture;
}

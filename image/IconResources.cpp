#include "image/IconResources.h"

#include "app/Shell.h"
#include "platform/core/Memory.h"
#include "platform/resources/Resources.h"

#include <array>
#include <vector>

namespace {

// The types CopyIcons carries from one file to the other; the first six are
// the classic members.
constexpr std::array<ResType, 11> kCopyList = {
    FourCC("icl8"), FourCC("icl4"), FourCC("ICN#"), FourCC("ics8"), FourCC("ics4"), FourCC("ics#"),
    FourCC("il32"), FourCC("l8mk"), FourCC("is32"), FourCC("s8mk"), FourCC("icns"),
};
constexpr size_t kClassicTypeCount = 6;
constexpr ResType kDeletedMarkType = FourCC("iDel");

// A resource lookup that found nothing is not an error.
OSErr LookupError() {
    const OSErr err = ResError();
    return err == resNotFound ? OSErr(noErr) : err;
}

// Removes resource type/resID of the current file. Its handle is freed unless
// it is `keep` (a member that is being written over its own resource).
[[nodiscard]] OSErr RemoveIconResource(ResType type, ResID resID, Handle keep) {
    Handle old = Get1Resource(type, resID);
    if (!old) return LookupError();
    RemoveResource(old);
    if (OSErr err = ResError(); err != noErr) return err;
    if (old != keep) DisposeHandle(old);
    return noErr;
}

[[nodiscard]] OSErr AddResourceCopy(std::span<const UInt8> bytes, ResType type, ResID resID, ConstStr255Param name,
                                    SInt16 attributes) {
    UniqueHandle copy(NewHandleFromBytes(bytes));
    if (!copy) return memFullErr;
    AddResource(copy.get(), type, resID, name);
    if (OSErr err = ResError(); err != noErr) return err;
    Handle added = copy.release();
    SetResAttrs(added, attributes);
    if (OSErr err = ResError(); err != noErr) return err;
    ChangedResource(added);
    if (OSErr err = ResError(); err != noErr) return err;
    ReleaseResource(added);
    return noErr;
}

class CurrentResFileKeeper {
public:
    CurrentResFileKeeper() : saved_(CurResFile()) {}
    ~CurrentResFileKeeper() { UseResFile(saved_); }
    CurrentResFileKeeper(const CurrentResFileKeeper&) = delete;
    CurrentResFileKeeper& operator=(const CurrentResFileKeeper&) = delete;

private:
    SInt16 saved_;
};

}  // namespace

OSErr Get1KorvelIcon(KorvelIcon* icon, ResID resID, IconMemberSelector selector) {
    if (!icon) return paramErr;
    *icon = {};
    if (isIconServicesAvailable) {
        if (Handle family = Get1Resource(kIconFamilyType, resID)) {
            const OSErr err = IconFamilyToKorvelIconWithSelector(family, selector, icon);
            ReleaseResource(family);
            return err;
        }
        if (OSErr err = LookupError(); err != noErr) return err;
    }
    return Get1IconSuite(&icon->suite, resID, selector.selector);
}

OSErr Get1IconSuite(IconSuiteRef* suite, ResID resID, IconSelectorValue selector) {
    if (!suite) return paramErr;
    *suite = nullptr;
    UniqueIconSuite made;
    if (OSErr err = NewIconSuite(made.out()); err != noErr) return err;
    for (int bit = 0; bit < 32; ++bit) {
        const OSType type = IconTypeForSelectorBit(bit);
        if (type == 0 || !(selector & (IconSelectorValue(1) << bit))) continue;
        Handle member = Get1Resource(type, resID);
        if (!member) {
            if (OSErr err = LookupError(); err != noErr) return err;
            continue;
        }
        if (OSErr err = AddIconToSuite(member, made.get(), type); err != noErr) return err;
    }
    *suite = made.release();
    return noErr;
}

OSErr SaveDataToResource(std::span<const UInt8> data, ResType type, ResID resID, ConstStr255Param name,
                         SInt16 attributes) {
    if (OSErr err = RemoveIconResource(type, resID, nullptr); err != noErr) return err;
    return AddResourceCopy(data, type, resID, name, attributes);
}

OSErr DeleteIconFamilyResource() { return RemoveIconResource(kIconFamilyType, kCustomIconResID, nullptr); }

OSErr CopyIcons(SInt16 fromRefNum, SInt16 toRefNum) {
    CurrentResFileKeeper keeper;
    const size_t typeCount = isIconServicesAvailable ? kCopyList.size() : kClassicTypeCount;
    std::vector<UInt8> bytes;
    for (size_t t = 0; t < typeCount; ++t) {
        const ResType type = kCopyList[t];
        UseResFile(fromRefNum);
        if (OSErr err = ResError(); err != noErr) return err;
        const SInt16 count = Count1Resources(type);
        for (SInt16 index = 1; index <= count; ++index) {
            UseResFile(fromRefNum);
            Handle h = Get1IndResource(type, index);
            if (!h) return ResError() != noErr ? ResError() : OSErr(resNotFound);
            ResID resID = 0;
            ResType ignored = 0;
            Str255 name = {0};
            GetResInfo(h, &resID, &ignored, name);
            if (Get1Resource(kDeletedMarkType, resID)) continue;
            const auto source = HandleBytes(h);
            bytes.assign(source.begin(), source.end());
            UseResFile(toRefNum);
            if (OSErr err = ResError(); err != noErr) return err;
            if (OSErr err = SaveDataToResource(bytes, type, resID, name, kIconResourceAttributes); err != noErr)
                return err;
        }
    }
    return noErr;
}

OSErr AddIconToFile(ResType type, Handle* member, void* data) {
    const auto* info = static_cast<const IconResInfo*>(data);
    if (!member || !info) return paramErr;
    Handle h = *member;
    if (OSErr err = RemoveIconResource(type, info->resID, h); err != noErr) return err;
    if (!h || GetHandleSize(h) == 0) return noErr;
    return AddResourceCopy(HandleBytes(h), type, info->resID, info->name, info->attributes);
}

OSErr DetachIcon(ResType, Handle* member, void*) {
    if (!member || !*member || !IsResourceHandle(*member)) return noErr;
    DetachResource(*member);
    if (OSErr err = ResError(); err != noErr) return err;
    HNoPurge(*member);
    return noErr;
}

OSErr DeleteIcon(ResType, Handle* member, void*) {
    if (!member || !*member || !IsResourceHandle(*member)) return noErr;
    RemoveResource(*member);
    return ResError();
}

OSErr ChangeIconInfo(ResType, Handle* member, void* data) {
    const auto* info = static_cast<const IconResInfo*>(data);
    if (!member || !info) return paramErr;
    if (!*member || !IsResourceHandle(*member)) return noErr;
    SetResInfo(*member, info->resID, info->name);
    return ResError();
}

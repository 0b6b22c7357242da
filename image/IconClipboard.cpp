#include "image/IconClipboard.h"

#include "platform/core/Memory.h"
#include "platform/icons/IconFamily.h"
#include "platform/ui/Scrap.h"

namespace {

// The family as flavour 'icns'; the family is freed.
OSErr PutFamily(OSErr made, IconFamilyHandle family) {
    UniqueHandle owned(family);
    if (made != noErr) return made;
    if (!family) return memFullErr;
    return PutScrapFlavor(kIconFamilyType, HandleBytes(family));
}

// The classic members, each as a flavour of its own type.
OSErr PutClassicMembers(IconSuiteRef suite) {
    if (const OSErr err = ClearCurrentScrap(); err != noErr) return err;
    if (!suite) return noErr;
    return ForEachIconDo(suite, kClassicIconSelector, CopyIconData, nullptr);
}

}  // namespace

OSErr CopyIconData(ResType theType, Handle* theIcon, void*) {
    if (!theIcon || !*theIcon || GetHandleSize(*theIcon) == 0) return noErr;
    return PutScrapFlavor(theType, HandleBytes(*theIcon));
}

OSErr KorvelIconToClip(const KorvelIcon& icon) {
    if (const OSErr err = PutClassicMembers(icon.suite); err != noErr) return err;
    IconFamilyHandle family = nullptr;
    const OSErr made = KorvelIconToIconFamily(icon, &family);
    return PutFamily(made, family);
}

OSErr IconSuiteToClip(IconSuiteRef suite) {
    if (!suite) return paramErr;
    if (const OSErr err = PutClassicMembers(suite); err != noErr) return err;
    IconFamilyHandle family = nullptr;
    const OSErr made = IconSuiteToIconFamily(suite, kAll32IconSelector, &family);
    return PutFamily(made, family);
}

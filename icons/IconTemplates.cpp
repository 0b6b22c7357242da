// The icons the new-icon templates give: the application's blank icon 2000
// and the system's generic document, application and folder icons, with
// exactly the members chosen.
#include "icons/NewIcon.h"

#include "app/Shell.h"
#include "platform/core/Memory.h"
#include "platform/icons/GenericIcons.h"
#include "platform/resources/Resources.h"

#include <vector>

const std::array<OSType, kTemplateCount> gTemplateIconType{0, 0, kGenericDocumentIcon, kGenericApplicationIcon,
                                                           kGenericFolderIcon};
const std::array<ResID, kTemplateCount> gTemplateIconResource{0, 0, -4000, -3996, -3999};
SInt16 gSelectedTemplate = kBlankTemplate;

namespace {

constexpr ResID kBlankIconResID = 2000;

Boolean KindChosen(IconMemberSelector selector, SInt16 kind) {
    if (kind == kKindIt32) return selector.withIt32 && isThumbnailIconsAvailable;
    if (kind == kKindT8mk) return selector.withT8mk && isThumbnailIconsAvailable;
    return (SelectorBitForIconType(gIconType[size_t(kind)]) & selector.selector) != 0;
}

// A blank member: white pixels, every one opaque.
std::vector<UInt8> BlankMember(SInt16 kind) {
    std::vector<UInt8> data(size_t(IconKindDataSize(kind)), 0);
    switch (gIconDepth[size_t(kind)]) {
    case 1:  // white image, full mask
        std::fill(data.begin() + std::ptrdiff_t(data.size() / 2), data.end(), UInt8(0xFF));
        break;
    case 32:
        for (size_t i = 0; i < data.size(); i += 4) data[i + 1] = data[i + 2] = data[i + 3] = 0xFF;
        break;
    default:  // indexed colour: 0 is white; 8-bit masks: 255 is opaque
        if (kind == kKindL8mk || kind == kKindS8mk || kind == kKindT8mk) std::fill(data.begin(), data.end(), 0xFF);
        break;
    }
    return data;
}

// The application's icon 2000 holds only some members: the others chosen
// are made blank, so that the icon has every member asked for.
[[nodiscard]] OSErr CompleteBlankIcon(KorvelIcon* icon, IconMemberSelector selector) {
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
        if (!KindChosen(selector, kind) || kind == kKindICNMask || kind == kKindIcsMask) continue;
        Handle present = nullptr;
        if (OSErr err = GetDataFromKorvelIcon(&present, *icon, kind); err != noErr) return err;
        if (present) continue;
        UniqueHandle data(NewHandleFromBytes(BlankMember(kind)));
        if (!data) return memFullErr;
        if (OSErr err = SetDataToKorvelIcon(data.get(), icon, kind); err != noErr) return err;
        data.release();
    }
    return noErr;
}

[[nodiscard]] OSErr BlankTemplate(KorvelIcon* icon, IconMemberSelector selector) {
    const SInt16 appFile = GetApplicationResFile();
    if (appFile == kResFileNotOpen) return resFNotFound;
    const SInt16 saved = CurResFile();
    UseResFile(appFile);
    OSErr err = Get1KorvelIcon(icon, kBlankIconResID, selector);
    UseResFile(saved);
    if (err == noErr) err = CompleteBlankIcon(icon, selector);
    return err;
}

}  // namespace

OSErr GetKorvelIconFromTemplate(KorvelIcon* icon, IconMemberSelector selector, SInt16 templateIndex) {
    if (!icon) return paramErr;
    *icon = {};
    if (templateIndex < 0 || templateIndex >= kTemplateCount) return paramErr;
    if (templateIndex == kBlankTemplate) return BlankTemplate(icon, selector);
    const OSType type = gTemplateIconType[size_t(templateIndex)];
    if (type == 0) return paramErr;
    // Without thumbnail members the system's generic icons come as suites.
    if (!isThumbnailIconsAvailable) selector.withIt32 = selector.withT8mk = false;
    IconRef ref = nullptr;
    if (OSErr err = GetIconRef(kOnSystemDisk, kSystemIconsCreator, type, &ref); err != noErr) return err;
    IconFamilyHandle family = nullptr;
    const OSErr familyErr = IconRefToIconFamily(ref, kSelectorAllAvailableData, &family);
    (void)ReleaseIconRef(ref);
    if (familyErr != noErr) return familyErr;
    UniqueHandle owner(family);
    return IconFamilyToKorvelIconWithSelector(family, selector, icon);
}

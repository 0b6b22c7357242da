// The new-icon dialog (143): template, members, presets, resource ID and
// name, with the chosen template drawn live in the preview area.
#include "icons/NewIcon.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/icons/PlotIcons.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"

#include <charconv>
#include <string>
#include <string_view>

namespace {

constexpr SInt16 kIconNameStrings = 141;
enum : SInt16 { kNewIconTitleItem = 4, kNewIconOkTitleItem = 5 };

// The selector bits of the large and small 1-bit members, and of the
// members that need them.
constexpr UInt32 kLargeMaskBit = 0x1, kSmallMaskBit = 0x100;
constexpr UInt32 kLargeDependents = 0x2 | 0x4 | 0x8 | 0x10;
constexpr UInt32 kSmallDependents = 0x200 | 0x400 | 0x800 | 0x1000;

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = nullptr;
    if (GetDialogItemAsControl(dialog, item, &control) != noErr) return nullptr;
    return control;
}

void SetItemValue(DialogRef dialog, DialogItemIndex item, SInt16 value) {
    if (ControlRef control = ItemControl(dialog, item)) SetControlValue(control, value);
}

Rect ItemBox(DialogRef dialog, DialogItemIndex item) {
    DialogItemType type = 0;
    Handle h = nullptr;
    Rect box{};
    GetDialogItem(dialog, item, &type, &h, &box);
    return box;
}

void InvalidatePreview(DialogRef dialog) {
    Rect box = ItemBox(dialog, kNewIconPreviewItem);
    InsetRect(&box, -2, -2);
    InvalWindowRect(dialog, &box);
}

// The ID typed into the dialog, when it is a 16-bit number.
Boolean ParseResID(ConstStr255Param text, ResID* id) {
    std::string_view s(reinterpret_cast<const char*>(text + 1), text[0]);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int value = 0;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || err != std::errc() || end != s.data() + s.size() || value < -32768 || value > 32767)
        return false;
    *id = ResID(value);
    return true;
}

// Draws the template's icon with the chosen members into the preview area.
void DrawTemplatePreview(const Rect& area) {
    if (gSelectedTemplate <= 0) return;
    KorvelIconOwner icon;
    if (GetKorvelIconFromTemplate(icon.get(), gSelector, gSelectedTemplate) != noErr) return;
    if (icon->suite) {
        (void)PlotIconSuite(&area, kAlignNone, kTransformNone, icon->suite);
        return;
    }
    // A thumbnail-only icon: its 128-pixel image, centred.
    UniqueHandle picture(KorvelIconToPicture(*icon, kKindIt32));
    if (!picture) return;
    const SInt16 top = SInt16((area.top + area.bottom - 128) / 2), left = SInt16((area.left + area.right - 128) / 2);
    const Rect frame{top, left, SInt16(top + 128), SInt16(left + 128)};
    DrawPicture(picture.get(), &frame);
}

}  // namespace

Boolean ToggleNewIconMember(IconMemberSelector* selector, DialogItemIndex item) {
    if (!selector) return false;
    UInt32& bits = selector->selector;
    if (item == kIt32Item || item == kT8mkItem) {
        const Boolean on = selector->withIt32 || selector->withT8mk;
        if (on && !(bits & (kLargeMaskBit | kSmallMaskBit))) return false;
        selector->withIt32 = selector->withT8mk = !on;
        return true;
    }
    if (item < kFirstMemberItem || item > kLastMemberItem) return false;
    const UInt32 bit = gSelectorList[size_t(item - kFirstMemberItem)];
    const Boolean thumbnail = selector->withIt32 || selector->withT8mk;
    if (!(bits & bit)) {
        bits |= bit;
        if (bit & kLargeDependents) bits |= kLargeMaskBit;
        if (bit & kSmallDependents) bits |= kSmallMaskBit;
        return true;
    }
    if (bit == kLargeMaskBit) {
        if (!(bits & kSmallMaskBit) && !thumbnail) return false;
        bits &= ~(kLargeMaskBit | kLargeDependents);
    } else if (bit == kSmallMaskBit) {
        if (!(bits & kLargeMaskBit) && !thumbnail) return false;
        bits &= ~(kSmallMaskBit | kSmallDependents);
    } else {
        bits &= ~bit;
    }
    return true;
}

IconMemberSelector NewIconPreset(DialogItemIndex item) {
    switch (item) {
    case 18: {
        const Boolean thumbnails = gSystemVersion >= 0x0850 && isThumbnailIconsAvailable;
        return {SystemIconSelector(), thumbnails, thumbnails};
    }
    case 19: return {0, false, false};
    case 20: return {kClassicIconSelector, false, false};
    case 21: return {0x1D1D, false, false};
    case 22: return {0x1D1D, true, true};
    case 23: return {0x001F, false, false};
    case 24: return {0x1F00, false, false};
    case 25: return {0, true, true};
    default: return gSelector;
    }
}

void AddNewIconReset(DialogRef dialog) {
    for (DialogItemIndex item = kFirstMemberItem; item <= kLastMemberItem; ++item)
        SetItemValue(dialog, item, (gSelector.selector & gSelectorList[size_t(item - kFirstMemberItem)]) ? 1 : 0);
    SetItemValue(dialog, kIt32Item, gSelector.withIt32 ? 1 : 0);
    SetItemValue(dialog, kT8mkItem, gSelector.withT8mk ? 1 : 0);
    InvalidatePreview(dialog);
}

Boolean NewIconUpdateFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
    if (!event || event->what != updateEvt || EventWindow(*event) != dialog)
        return MyModalDialogFilter(dialog, event, itemHit);
    SavedGWorld saved;
    SetPortWindowPort(dialog);
    BeginUpdate(dialog);
    DrawDialog(dialog);
    Rect area = ItemBox(dialog, kNewIconPreviewItem);
    EraseRect(&area);
    DrawTemplatePreview(area);
    InsetRect(&area, -2, -2);
    PenNormal();
    FrameRect(&area);
    EndUpdate(dialog);
    return false;
}

OSErr NewIconDialog(IconResInfo* info, IconMemberSelector* selector, SInt16* templateIndex, WindowRef iconList,
                    IconIDInUseProc idInUse) {
    if (!info || !selector || !templateIndex) return paramErr;
    BeginModal();
    DialogRef dialog = GetNewDialog(kNewIconDialogID, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        return resNotFound;
    }
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    Str255 text;
    GetIndString(text, kIconNameStrings, kNewIconTitleItem);
    if (text[0]) SetWTitle(dialog, text);
    GetIndString(text, kIconNameStrings, kNewIconOkTitleItem);
    if (ControlRef ok = ItemControl(dialog, kStdOkItemIndex); ok && text[0]) SetControlTitle(ok, text);

    const Boolean customIcon = info->resID == kCustomIconResID;
    CopyCStringToPascal(std::to_string(info->resID), text);
    SetDialogItemText(dialog, kNewIconIDItem, text);
    SetDialogItemText(dialog, kNewIconNameItem, info->name);
    if (customIcon) {
        // A custom icon has no ID or name of its own to choose.
        DisableDialogItem(dialog, kNewIconIDItem);
        DisableDialogItem(dialog, kNewIconNameItem);
    } else {
        SelectDialogItemText(dialog, kNewIconIDItem, 0, 32767);
    }
    if (gSelectedTemplate < 0 || gSelectedTemplate >= kTemplateCount) gSelectedTemplate = kBlankTemplate;
    SetItemValue(dialog, kTemplateItem, SInt16(gSelectedTemplate + 1));
    if (!isThumbnailIconsAvailable) {
        for (DialogItemIndex item : {DialogItemIndex(kIt32Item), DialogItemIndex(kT8mkItem), DialogItemIndex(22), DialogItemIndex(25)})
            DisableDialogItem(dialog, item);
        gSelector.withIt32 = gSelector.withT8mk = false;
        if (!is32BitIconsAvailable) {
            for (int item : {12, 13, 14, 15, 21}) DisableDialogItem(dialog, DialogItemIndex(item));
            gSelector.selector &= kClassicIconSelector;
        }
    }
    // What cannot be built is never chosen: at least one 1-bit member.
    if (!(gSelector.selector & (kLargeMaskBit | kSmallMaskBit)) && !gSelector.withIt32)
        gSelector = {kClassicIconSelector, false, false};
    AddNewIconReset(dialog);
    ShowWindow(dialog);

    ResID id = info->resID;
    DialogItemIndex item = 0;
    for (;;) {
        ModalDialog(NewIconUpdateFilter, &item);
        if (item == kStdCancelItemIndex) break;
        if (item == kStdOkItemIndex) {
            if (customIcon) break;
            GetDialogItemText(dialog, kNewIconIDItem, text);
            if (ParseResID(text, &id) && id != kCustomIconResID && !(idInUse && idInUse(iconList, id))) break;
            SysBeep(1);
            SelectDialogItemText(dialog, kNewIconIDItem, 0, 32767);
            continue;
        }
        if (item >= kFirstMemberItem && item <= kT8mkItem) {
            if (ToggleNewIconMember(&gSelector, item)) AddNewIconReset(dialog);
        } else if (item >= kFirstPresetItem && item <= kLastPresetItem) {
            gSelector = NewIconPreset(item);
            AddNewIconReset(dialog);
        } else if (item == kTemplateItem) {
            const SInt16 chosen = SInt16(GetControlValue(ItemControl(dialog, kTemplateItem)) - 1);
            if (chosen != gSelectedTemplate) {
                gSelectedTemplate = chosen;
                InvalidatePreview(dialog);
            }
        }
    }
    if (item == kStdOkItemIndex) {
        if (!customIcon) {
            info->resID = id;
            GetDialogItemText(dialog, kNewIconNameItem, info->name);
        }
        *selector = gSelector;
        *templateIndex = gSelectedTemplate;
    }
    DisposeDialog(dialog);
    EndModal();
    UpdateMenus();
    return item == kStdOkItemIndex ? noErr : userCanceledErr;
}

#include "platform/ui/UiResources.h"

#include "platform/core/ByteIO.h"

namespace {

std::string ReadPString(ByteReader& r) {
    UInt8 len = r.u8();
    auto s = r.bytes(len);
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

}  // namespace

bool IsSeparatorText(const std::string& text) {
    return text == "-" || (text.size() >= 2 && text[0] == '(' && text[1] == '-');
}

OSErr ParseMenuResource(std::span<const UInt8> bytes, MenuData* out) {
    ByteReader r(bytes);
    MenuData m;
    m.id = r.s16be();
    r.skip(4);  // width, height: computed by the layer
    m.procID = r.s16be();
    r.skip(2);
    UInt32 enableFlags = r.u32be();
    m.title = ReadPString(r);
    if (!r.ok()) return badExtResource;
    m.enabled = (enableFlags & 1) != 0;
    for (;;) {
        UInt8 len = r.u8();
        if (!r.ok()) return badExtResource;  // the list must end with a zero byte
        if (len == 0) break;
        if (m.items.size() >= kMaxMenuItems) return badExtResource;
        auto text = r.bytes(len);
        MenuItemData item;
        item.text.assign(reinterpret_cast<const char*>(text.data()), text.size());
        item.icon = r.u8();
        item.cmd = r.u8();
        item.mark = r.u8();
        item.style = r.u8();
        if (!r.ok()) return badExtResource;
        size_t index = m.items.size() + 1;
        // Items past 31 have no flag bit and are always enabled.
        item.enabled = index > 31 || (enableFlags >> index & 1) != 0;
        if (item.cmd == 0x1B) {  // hMenuCmd: the mark byte names the submenu
            item.submenu = SInt16(item.mark);
            item.mark = 0;
        }
        m.items.push_back(std::move(item));
    }
    *out = std::move(m);
    return noErr;
}

OSErr ParseMenuBarResource(std::span<const UInt8> bytes, std::vector<SInt16>* menuIDs) {
    ByteReader r(bytes);
    SInt16 count = r.s16be();
    if (!r.ok() || count < 0 || size_t(count) > kMaxMenuBarMenus) return badExtResource;
    std::vector<SInt16> ids;
    for (SInt16 i = 0; i < count; ++i) ids.push_back(r.s16be());
    if (!r.ok()) return badExtResource;
    *menuIDs = std::move(ids);
    return noErr;
}

OSErr ParseDialogTemplate(std::span<const UInt8> bytes, DialogTemplateData* out) {
    ByteReader r(bytes);
    DialogTemplateData d;
    d.boundsRect = r.rect();
    d.procID = r.s16be();
    d.visible = r.u8() != 0;
    r.skip(1);
    d.goAway = r.u8() != 0;
    r.skip(1);
    d.refCon = r.s32be();
    d.itemsID = r.s16be();
    d.title = ReadPString(r);
    if (!r.ok()) return badExtResource;
    // The positioning word is aligned to an even offset.
    if (r.pos() & 1) r.skip(1);
    if (r.has(2)) d.position = r.u16be();
    *out = std::move(d);
    return noErr;
}

OSErr ParseAlertTemplate(std::span<const UInt8> bytes, AlertTemplateData* out) {
    ByteReader r(bytes);
    AlertTemplateData a;
    a.boundsRect = r.rect();
    a.itemsID = r.s16be();
    a.stages = r.u16be();
    if (!r.ok()) return badExtResource;
    if (r.has(2)) a.position = r.u16be();
    *out = a;
    return noErr;
}

OSErr ParseDialogItemList(std::span<const UInt8> bytes, std::vector<DialogItemData>* out) {
    ByteReader r(bytes);
    SInt16 countMinusOne = r.s16be();
    // An empty list is stored as -1.
    if (!r.ok() || countMinusOne < -1 || size_t(countMinusOne + 1) > kMaxDialogItems) return badExtResource;
    std::vector<DialogItemData> items;
    for (int i = 0; i <= countMinusOne; ++i) {
        DialogItemData item;
        r.skip(4);  // placeholder for the item's handle
        item.rect = r.rect();
        item.type = r.u8();
        UInt8 len = r.u8();
        auto data = r.bytes(len);
        if (len & 1) r.skip(1);  // padded to an even length
        if (!r.ok()) {
            // The pad byte of the last item is often left out.
            if (i == countMinusOne && data.size() == len && (len & 1)) {
                item.data.assign(data.begin(), data.end());
                items.push_back(std::move(item));
                break;
            }
            return badExtResource;
        }
        item.data.assign(data.begin(), data.end());
        items.push_back(std::move(item));
    }
    *out = std::move(items);
    return noErr;
}

OSErr ParseControlTemplate(std::span<const UInt8> bytes, ControlTemplateData* out) {
    ByteReader r(bytes);
    ControlTemplateData c;
    c.rect = r.rect();
    c.value = r.s16be();
    c.visible = r.u8() != 0;
    r.skip(1);
    c.max = r.s16be();
    c.min = r.s16be();
    c.procID = r.s16be();
    c.refCon = r.s32be();
    c.title = ReadPString(r);
    if (!r.ok()) return badExtResource;
    *out = std::move(c);
    return noErr;
}

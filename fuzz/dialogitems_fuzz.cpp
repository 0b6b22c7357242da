// The decoders of menus, menu bars, dialog and alert templates, item lists
// and control templates. The first byte chooses the decoder; the rest is the
// resource. A decoded menu or list must respect the caps it promises.
#include "platform/ui/UiResources.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::span<const UInt8> bytes(data + 1, size - 1);
    switch (data[0] % 6) {
    case 0: {
        MenuData m;
        if (ParseMenuResource(bytes, &m) == noErr) {
            if (m.items.size() > kMaxMenuItems) std::abort();
            for (const MenuItemData& item : m.items)
                if (item.text.size() > 255 || (item.cmd != 0x1B && item.submenu != 0)) std::abort();
        }
        break;
    }
    case 1: {
        std::vector<SInt16> ids;
        if (ParseMenuBarResource(bytes, &ids) == noErr && ids.size() > kMaxMenuBarMenus) std::abort();
        break;
    }
    case 2: {
        std::vector<DialogItemData> items;
        if (ParseDialogItemList(bytes, &items) == noErr) {
            if (items.size() > kMaxDialogItems) std::abort();
            for (const DialogItemData& item : items)
                if (item.data.size() > 255) std::abort();
        }
        break;
    }
    case 3: {
        DialogTemplateData d;
        (void)ParseDialogTemplate(bytes, &d);
        break;
    }
    case 4: {
        AlertTemplateData a;
        (void)ParseAlertTemplate(bytes, &a);
        break;
    }
    default: {
        ControlTemplateData c;
        (void)ParseControlTemplate(bytes, &c);
        break;
    }
    }
    return 0;
}

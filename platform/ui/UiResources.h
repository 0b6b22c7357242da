// Decoders of the interface resources the menu and dialog layers read:
// 'MENU', 'MBAR', 'DLOG', 'ALRT', 'DITL' and 'CNTL'. Pure functions over
// bytes with no widget in sight, so they can be tested and fuzzed alone.
// Every decoder reads with the checked ByteReader and answers badExtResource
// for bytes that do not hold a whole record.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <string>
#include <vector>

enum : size_t {
    kMaxMenuItems = 1024,   // more than any menu can show
    kMaxMenuBarMenus = 64,
    kMaxDialogItems = 512,
};

struct MenuItemData {
    std::string text;  // bytes as stored (UTF-8, or Mac Roman from old files)
    bool enabled = true;
    UInt8 icon = 0;
    UInt16 cmd = 0;    // command character; hMenuCmd for an item with a submenu
    UInt16 mark = 0;
    UInt8 style = 0;
    SInt16 submenu = 0;  // menu ID of the submenu when cmd is hMenuCmd
    UInt8 modifiers = 0;
};

struct MenuData {
    SInt16 id = 0;
    SInt16 procID = 0;
    bool enabled = true;
    std::string title;
    std::vector<MenuItemData> items;
};

// "-" and "(-..." are separator lines.
bool IsSeparatorText(const std::string& text);

[[nodiscard]] OSErr ParseMenuResource(std::span<const UInt8> bytes, MenuData* out);
[[nodiscard]] OSErr ParseMenuBarResource(std::span<const UInt8> bytes, std::vector<SInt16>* menuIDs);

struct DialogTemplateData {
    Rect boundsRect;
    SInt16 procID = 0;
    bool visible = false;
    bool goAway = false;
    SInt32 refCon = 0;
    SInt16 itemsID = 0;
    std::string title;
    UInt16 position = 0;  // optional word after the title; 0 keeps the rectangle where it is
};
[[nodiscard]] OSErr ParseDialogTemplate(std::span<const UInt8> bytes, DialogTemplateData* out);

struct AlertTemplateData {
    Rect boundsRect;
    SInt16 itemsID = 0;
    UInt16 stages = 0;
    UInt16 position = 0;  // optional
};
[[nodiscard]] OSErr ParseAlertTemplate(std::span<const UInt8> bytes, AlertTemplateData* out);

struct DialogItemData {
    Rect rect;
    UInt8 type = 0;         // with the itemDisable bit
    std::vector<UInt8> data;  // text, or a 2-byte resource ID for controls, icons and pictures
    // The resource ID that icon, picture and resource-control items carry; 0 when absent.
    SInt16 ResourceID() const { return data.size() >= 2 ? SInt16(data[0] << 8 | data[1]) : 0; }
};
[[nodiscard]] OSErr ParseDialogItemList(std::span<const UInt8> bytes, std::vector<DialogItemData>* out);

struct ControlTemplateData {
    Rect rect;
    SInt16 value = 0;
    bool visible = true;
    SInt16 max = 0;
    SInt16 min = 0;
    SInt16 procID = 0;
    SInt32 refCon = 0;
    std::string title;
};
[[nodiscard]] OSErr ParseControlTemplate(std::span<const UInt8> bytes, ControlTemplateData* out);

#include "palettes/PrefsDialog.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/PaintWindow.h"
#include "palettes/PatternPalette.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ColorPicker.h"
#include "platform/ui/NavDialogs.h"

#include <array>
#include <cstdlib>
#include <string>

namespace {

constexpr SInt16 kRepeatDelays[5] = {72, 40, 24, 16, 12};
constexpr SInt16 kRepeatIntervals[5] = {144, 12, 8, 4, 2};
// Item of the PNG transparency pop-up → stored value; item 2 is a divider.
constexpr SInt16 kTransparencyByItem[9] = {0, 0, -1, 1, 4, 6, 2, 3, 5};

ControlRef ItemControl(DialogRef d, DialogItemIndex item) {
    ControlRef c = nullptr;
    if (GetDialogItemAsControl(d, item, &c) != noErr) return nullptr;
    return c;
}

SInt16 Value(DialogRef d, DialogItemIndex item) {
    ControlRef c = ItemControl(d, item);
    return c ? GetControlValue(c) : 0;
}

void SetValue(DialogRef d, DialogItemIndex item, SInt16 value) {
    if (ControlRef c = ItemControl(d, item)) SetControlValue(c, value);
}

void Toggle(DialogRef d, DialogItemIndex item) { SetValue(d, item, Value(d, item) ? 0 : 1); }

void SetEnabled(DialogRef d, DialogItemIndex item, bool enabled) {
    if (enabled)
        EnableDialogItem(d, item);
    else
        DisableDialogItem(d, item);
}

void SetText(DialogRef d, DialogItemIndex item, const std::string& text) {
    Str255 s;
    CopyCStringToPascal(text, s);
    SetDialogItemText(d, item, s);
}

// A size a new picture can have, typed into an edit field.
bool ReadPictureEdge(DialogRef d, DialogItemIndex item, SInt16* out) {
    Str255 s;
    GetDialogItemText(d, item, s);
    return ParsePictureEdge(s, out);
}

std::string CreatorName(OSType creator) {
    if (creator == FourCC("Krvl")) return "Korvel";
    std::string s = "'";
    for (int shift = 24; shift >= 0; shift -= 8) s += char((creator >> shift) & 0xFF);
    return s + "'";
}

// The dialog's working copies: nothing reaches the globals before OK.
struct PrefsCopy {
    SInt16 startup = 1;
    std::array<OSType, 4> creators{};  // PICT, GIF, PNG, icon: the order of buttons 2 to 5
    SInt16 previewIcon = 0;
    PaintWinPrefs win;
    UInt8 useExternal = 0;
    FSSpec editor;
    FSSpec resEditor;
    ToolPrefs tool;
    SInt16 firstStep = 0;
    PNGFilePrefs png;
    std::array<UInt8, 4> tablet{};
    std::array<UInt8, 8> other{};
};

struct PrefsPages {
    DialogRef dialog = nullptr;
    SInt16 base[7] = {};  // page p's item k is base[p] + k
    SInt16 count[7] = {};
    DialogItemIndex Item(int page, int k) const { return DialogItemIndex(base[page] + k); }
};

SInt16 gPrevTab = 1;

// Page 1: the resource editor's button (titled with its name) and the
// button that forgets it; their prompt and title in the editor prompts.
enum : int { kResEditorButton = 15, kNoResEditorButton = 16 };
enum : SInt16 { kResEditorPromptItem = 2, kChooseTitleItem = 3 };

// An application the user chooses, asked with prompt `promptItem`.
OSErr ChooseApplication(SInt16 promptItem, FSSpec* fileSpec) {
    if (!fileSpec) return paramErr;
    NavDialogOptions options;
    GetIndString(options.message, kEditorPromptStrList, promptItem);
    options.applicationsOnly = true;
    NavReplyRecord reply;
    if (OSErr err = NavChooseFile(&options, &reply)) return err;
    *fileSpec = reply.selection;
    return noErr;
}

int PageForTab(SInt16 tab) { return (!isTabletAvailable && tab == 5) ? 6 : tab; }

void ShowPage(const PrefsPages& pages, int page, bool show) {
    for (int k = 1; k <= pages.count[page]; ++k) {
        if (show)
            ShowDialogItem(pages.dialog, pages.Item(page, k));
        else
            HideDialogItem(pages.dialog, pages.Item(page, k));
    }
}

void UpdateDependentItems(const PrefsPages& p, const PrefsCopy& c) {
    DialogRef d = p.dialog;
    const bool editorKnown = c.editor.name[0] != 0;
    SetEnabled(d, p.Item(2, 8), editorKnown && gSystemVersion > 0x084F);
    SetEnabled(d, p.Item(3, 2), Value(d, p.Item(3, 1)) != 0);
    SetEnabled(d, p.Item(3, 7), Value(d, p.Item(3, 6)) != 0);
    SetEnabled(d, p.Item(5, 2), Value(d, p.Item(5, 1)) != 0);
    SetEnabled(d, p.Item(5, 4), Value(d, p.Item(5, 3)) != 0);
    SetEnabled(d, p.Item(6, 8), isIconServicesAvailable);
}

void FillPages(const PrefsPages& p, const PrefsCopy& c) {
    DialogRef d = p.dialog;
    SetValue(d, p.Item(1, 1), SInt16(c.startup + 1));
    for (int i = 0; i < 4; ++i) SetText(d, p.Item(1, 6 + i), CreatorName(c.creators[size_t(i)]));
    SetValue(d, p.Item(1, 10), useNavigationServices ? 1 : 0);
    SetValue(d, p.Item(1, 11), c.previewIcon ? 1 : 0);
    if (c.resEditor.name[0]) {
        if (ControlRef b = ItemControl(d, p.Item(1, kResEditorButton))) SetControlTitle(b, c.resEditor.name);
    }

    SetText(d, p.Item(2, 1), std::to_string(c.win.pictRect.right - c.win.pictRect.left));
    SetText(d, p.Item(2, 2), std::to_string(c.win.pictRect.bottom - c.win.pictRect.top));
    SetValue(d, p.Item(2, 3), c.win.colorMode == 24 ? 2 : 1);
    SetValue(d, p.Item(2, 4), SInt16(c.win.ratio + 1));
    SetValue(d, p.Item(2, 5), c.win.showSizeDialog ? 1 : 0);
    SetValue(d, p.Item(2, 6), SInt16(c.win.backgroundKind + 1));
    if (c.editor.name[0]) {
        if (ControlRef b = ItemControl(d, p.Item(2, 7))) SetControlTitle(b, c.editor.name);
    }
    SetValue(d, p.Item(2, 8), c.useExternal ? 1 : 0);

    const UInt8 toolFlags[7] = {c.tool.pencilToggle, c.tool.toggleOnlyWithSmallPen, c.tool.keepFloatingSelection,
                                c.tool.eyedropperCursor, c.tool.footprintCursor, c.tool.colorFootprintCursor,
                                c.tool.commandClickErases};
    const int toolItems[7] = {1, 2, 3, 5, 6, 7, 8};
    for (int i = 0; i < 7; ++i) SetValue(d, p.Item(3, toolItems[i]), toolFlags[i] ? 1 : 0);
    SetValue(d, p.Item(3, 4), c.firstStep);

    SetValue(d, p.Item(4, 1), c.png.interlaced ? 1 : 0);
    SetValue(d, p.Item(4, 2), PNGTransparencyItem(c.png.transColorKind));
    SetValue(d, p.Item(4, 3), SInt16(c.png.compressLevel + 1));
    SetValue(d, p.Item(4, 4), c.png.fillTransparent ? 1 : 0);
    SetValue(d, p.Item(4, 5), c.png.readTransMask ? 1 : 0);
    SetValue(d, p.Item(4, 6), c.png.reduceColors ? 1 : 0);

    for (int i = 0; i < 4; ++i) SetValue(d, p.Item(5, i + 1), c.tablet[size_t(i)] ? 1 : 0);
    for (int i = 0; i < 8; ++i) SetValue(d, p.Item(6, i + 1), c.other[size_t(i)] ? 1 : 0);
    UpdateDependentItems(p, c);
}

// One hit on a page item; the copies change, the globals do not.
void HandlePageItem(const PrefsPages& p, PrefsCopy& c, int page, int k) {
    DialogRef d = p.dialog;
    switch (page) {
    case 1:
        if (k >= 2 && k <= 5) {
            OSType creator = 0;
            if (GetCreatorFromFile(&creator) == noErr) {
                c.creators[size_t(k - 2)] = creator;
                SetText(d, p.Item(1, k + 4), CreatorName(creator));
            }
        } else if (k == 11) {
            Toggle(d, p.Item(1, 11));
        } else if (k == kResEditorButton) {
            FSSpec fileSpec;
            if (ChooseApplication(kResEditorPromptItem, &fileSpec) == noErr) c.resEditor = fileSpec;
        } else if (k == kNoResEditorButton) {
            c.resEditor = FSSpec{};
        }
        if (k == kResEditorButton || k == kNoResEditorButton) {
            Str255 title;
            if (c.resEditor.name[0]) PStrCopy(c.resEditor.name, title);
            else GetIndString(title, kEditorPromptStrList, kChooseTitleItem);
            if (ControlRef b = ItemControl(d, p.Item(1, kResEditorButton)); b && title[0]) SetControlTitle(b, title);
        }
        break;
    case 2:
        if (k == 5 || k == 8) {
            Toggle(d, p.Item(2, k));
        } else if (k == 7) {
            FSSpec fileSpec;
            if (SetExternalApplication(&fileSpec) == noErr) {
                c.editor = fileSpec;
                if (ControlRef b = ItemControl(d, p.Item(2, 7))) SetControlTitle(b, fileSpec.name);
            }
        }
        break;
    case 3:
        if (k != 4) Toggle(d, p.Item(3, k));
        break;
    case 4:
        if (k == 1 || k >= 4) Toggle(d, p.Item(4, k));
        break;
    case 5:
        Toggle(d, p.Item(5, k));
        // The second of each pair can be on only while the first is.
        if (!Value(d, p.Item(5, 1))) SetValue(d, p.Item(5, 2), 0);
        if (!Value(d, p.Item(5, 3))) SetValue(d, p.Item(5, 4), 0);
        break;
    case 6:
        Toggle(d, p.Item(6, k));
        break;
    default: break;
    }
    UpdateDependentItems(p, c);
}

void ReadPages(const PrefsPages& p, PrefsCopy& c) {
    DialogRef d = p.dialog;
    c.startup = SInt16(Value(d, p.Item(1, 1)) - 1);
    c.previewIcon = Value(d, p.Item(1, 11)) ? 1 : 0;

    SInt16 w = 0, h = 0;
    // OK has refused sizes out of range.
    if (ReadPictureEdge(d, p.Item(2, 1), &w) && ReadPictureEdge(d, p.Item(2, 2), &h)) c.win.pictRect = Rect{0, 0, h, w};
    c.win.colorMode = Value(d, p.Item(2, 3)) == 2 ? 24 : 8;
    c.win.ratio = SInt16(Value(d, p.Item(2, 4)) - 1);
    c.win.showSizeDialog = Value(d, p.Item(2, 5)) ? 1 : 0;
    c.win.backgroundKind = SInt16(Value(d, p.Item(2, 6)) - 1);
    c.useExternal = Value(d, p.Item(2, 8)) ? 1 : 0;

    c.tool.pencilToggle = Value(d, p.Item(3, 1)) ? 1 : 0;
    c.tool.toggleOnlyWithSmallPen = Value(d, p.Item(3, 2)) ? 1 : 0;
    c.tool.keepFloatingSelection = Value(d, p.Item(3, 3)) ? 1 : 0;
    // Untouched, the key repeat keeps its exact stored values.
    if (const SInt16 step = Value(d, p.Item(3, 4)); step != c.firstStep)
        KeyRepeatForStep(step, &c.tool.keyRepeatDelay, &c.tool.keyRepeatInterval);
    c.tool.eyedropperCursor = Value(d, p.Item(3, 5)) ? 1 : 0;
    c.tool.footprintCursor = Value(d, p.Item(3, 6)) ? 1 : 0;
    c.tool.colorFootprintCursor = Value(d, p.Item(3, 7)) ? 1 : 0;
    c.tool.commandClickErases = Value(d, p.Item(3, 8)) ? 1 : 0;

    c.png.interlaced = Value(d, p.Item(4, 1)) ? 1 : 0;
    c.png.transColorKind = PNGTransparencyForItem(Value(d, p.Item(4, 2)));
    c.png.compressLevel = SInt16(Value(d, p.Item(4, 3)) - 1);
    c.png.fillTransparent = Value(d, p.Item(4, 4)) ? 1 : 0;
    c.png.readTransMask = Value(d, p.Item(4, 5)) ? 1 : 0;
    c.png.reduceColors = Value(d, p.Item(4, 6)) ? 1 : 0;

    for (int i = 0; i < 4; ++i) c.tablet[size_t(i)] = Value(d, p.Item(5, i + 1)) ? 1 : 0;
    for (int i = 0; i < 8; ++i) c.other[size_t(i)] = Value(d, p.Item(6, i + 1)) ? 1 : 0;
    if (!isIconServicesAvailable) c.other[kOtherStoreAsIcns] = 0;
}

void StorePrefs(const PrefsCopy& c) {
    gStartup = c.startup;
    gPICTCreator = c.creators[0];
    gGIFCreator = c.creators[1];
    gPNGCreator = c.creators[2];
    gIconCreator = c.creators[3];
    gPreviewIconFlag = c.previewIcon;
    gPaintWinPrefs = c.win;
    gExternalEditor = c.editor;
    if (c.editor.name[0]) isExternalEditorAvailable = true;
    gUseExternalEditor = c.useExternal;
    gResEditor = c.resEditor;
    isResEditAvailable = c.resEditor.name[0] != 0;
    gToolPrefs = c.tool;
    gPNGFilePrefs = c.png;
    gTabletPrefs = c.tablet;
    // A change of pattern size starts again from the solid pattern of the new set.
    if (c.other[kOtherLargePatterns] != gOtherPrefs[kOtherLargePatterns]) ResizePatternPalette();
    gOtherPrefs = c.other;
}

struct GridCopy {
    SInt16 style = 1;
    SInt16 code = 2;
    RGBColor pixelColor;
    RGBColor blockColor;
};

SInt16 ColorItem(const RGBColor& c) {
    if (c == RGBColor{0xFFFF, 0xFFFF, 0xFFFF}) return 1;
    if (c == RGBColor{0, 0, 0}) return 2;
    return 3;
}

void DrawSwatch(DialogRef d, DialogItemIndex popupItem, const RGBColor& color) {
    SavedGWorld saved;
    SetPortWindowPort(d);
    const Rect r = GridSwatchRect(d, popupItem);
    PenNormal();
    RGBForeColor(&color);
    PaintRect(&r);
    const RGBColor black{0, 0, 0};
    RGBForeColor(&black);
    FrameRect(&r);
}

}  // namespace

SInt16 PrefsPageItemCount(int page) {
    Handle h = GetResource(FourCC("DITL"), SInt16(kPrefsDialogID + page));
    const std::span<const UInt8> bytes = HandleBytes(h);
    if (bytes.size() < 2) return 0;
    return SInt16(SInt16(bytes[0] << 8 | bytes[1]) + 1);
}

DialogItemIndex PrefsPageItem(int page, int k) {
    int item = kPrefsTabItem;
    for (int p = 1; p < page; ++p) item += PrefsPageItemCount(p);
    return DialogItemIndex(item + k);
}

SInt16 KeyRepeatStepFor(SInt16 interval) {
    for (SInt16 i = 0; i < 5; ++i)
        if (kRepeatIntervals[i] <= interval) return i;
    return 0;
}

void KeyRepeatForStep(SInt16 step, SInt16* delay, SInt16* interval) {
    step = std::clamp<SInt16>(step, 0, 4);
    *delay = kRepeatDelays[step];
    *interval = kRepeatIntervals[step];
}

SInt16 PNGTransparencyForItem(SInt16 item) {
    if (item < 1 || item > 8 || kTransparencyByItem[item] < 0) return 0;
    return kTransparencyByItem[item];
}

SInt16 PNGTransparencyItem(SInt16 transparency) {
    for (SInt16 item = 1; item <= 8; ++item)
        if (kTransparencyByItem[item] == transparency) return item;
    return 1;
}

void OpenPrefsDialog() {
    DialogRef d = GetNewDialog(kPrefsDialogID, nullptr, kFirstWindowOfClass);
    if (!d) {
        SysBeep(1);
        return;
    }
    PrefsPages pages;
    pages.dialog = d;
    for (int page = 1; page <= 6; ++page) {
        pages.base[page] = CountDITL(d);
        AppendDITL(d, SInt16(kPrefsDialogID + page));
        pages.count[page] = SInt16(CountDITL(d) - pages.base[page]);
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);

    PrefsCopy copy;
    copy.startup = gStartup;
    copy.creators = {gPICTCreator, gGIFCreator, gPNGCreator, gIconCreator};
    copy.previewIcon = gPreviewIconFlag;
    copy.win = gPaintWinPrefs;
    copy.useExternal = gUseExternalEditor;
    copy.editor = gExternalEditor;
    copy.resEditor = gResEditor;
    copy.tool = gToolPrefs;
    copy.firstStep = KeyRepeatStepFor(gToolPrefs.keyRepeatInterval);
    copy.png = gPNGFilePrefs;
    copy.tablet = gTabletPrefs;
    copy.other = gOtherPrefs;
    FillPages(pages, copy);

    ControlRef tabs = ItemControl(d, kPrefsTabItem);
    SInt16 tabCount = 6;
    if (!isTabletAvailable) {
        tabCount = 5;
        if (tabs) {
            Str255 title;
            GetIndString(title, kPrefsTabTitleStrList, 2);
            SetControlMaximum(tabs, 5);
            if (title[0]) SetControlTabTitle(tabs, 5, title);
        }
    }
    SInt16 tab = std::clamp<SInt16>(gPrevTab, 1, tabCount);
    if (tabs) SetControlValue(tabs, tab);
    for (int page = 1; page <= 6; ++page) ShowPage(pages, page, page == PageForTab(tab));

    BeginModal();
    ShowWindow(d);
    DialogItemIndex hit = 0;
    auto showTab = [&](SInt16 now) {
        if (now == tab) return;
        ShowPage(pages, PageForTab(tab), false);
        ShowPage(pages, PageForTab(now), true);
        tab = now;
    };
    for (;;) {
        ModalDialog(nullptr, &hit);
        if (hit == kStdCancelItemIndex) break;
        if (hit == kStdOkItemIndex) {
            // A new-picture size out of range is refused on its page, the field selected.
            SInt16 edge = 0;
            DialogItemIndex bad = 0;
            if (!ReadPictureEdge(d, pages.Item(2, 1), &edge)) bad = pages.Item(2, 1);
            else if (!ReadPictureEdge(d, pages.Item(2, 2), &edge)) bad = pages.Item(2, 2);
            if (bad == 0) break;
            ErrorAlertFromResource(kPrefsErrStrings, kPrefsPictureSizeMessage);
            if (tabs) SetControlValue(tabs, 2);
            showTab(2);
            SelectDialogItemText(d, bad, 0, 32767);
            continue;
        }
        if (hit == kPrefsTabItem) {
            showTab(tabs ? std::clamp<SInt16>(GetControlValue(tabs), 1, tabCount) : tab);
            continue;
        }
        for (int page = 1; page <= 6; ++page) {
            if (hit > pages.base[page] && hit <= pages.base[page] + pages.count[page]) {
                HandlePageItem(pages, copy, page, hit - pages.base[page]);
                break;
            }
        }
    }
    gPrevTab = tab;
    if (hit == kStdOkItemIndex) ReadPages(pages, copy);
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return;

    StorePrefs(copy);
    ChangeSysSettings();
    UpdateNewMenu();
    UpdateBGSetting();
}

void UpdateBGSetting() {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (GetExtWindowKind(w) != kPaintWindowKind || !IsWindowVisible(w)) continue;
        PaintWinRec* rec = GetPaintWinRec(w);
        if (!rec || rec->backPort || rec->foreHoldPort) continue;
        rec->isBackMode = gOtherPrefs[kOtherStartInBackMode] != 0;
    }
    UpdateMenus();
}

OSErr SetExternalApplication(FSSpec* fileSpec) { return ChooseApplication(1, fileSpec); }

OSErr GetCreatorFromFile(OSType* creator) {
    if (!creator) return paramErr;
    NavReplyRecord reply;
    if (OSErr err = NavChooseFile(nullptr, &reply)) return err;
    FInfo info;
    if (OSErr err = FSpGetFInfo(&reply.selection, &info)) return err;
    // A file without a creator names no application to hand files to.
    if (info.fdCreator == 0) return paramErr;
    *creator = info.fdCreator;
    return noErr;
}

Rect GridSwatchRect(DialogRef theDialog, DialogItemIndex popupItem) {
    DialogItemType type = 0;
    Handle item = nullptr;
    Rect box{};
    // The dialog may keep a user item for each swatch (items 7 and 8).
    GetDialogItem(theDialog, DialogItemIndex(popupItem + 2), &type, &item, &box);
    if ((type & 0x7F) == userItem && box.right > box.left && box.bottom > box.top) return box;
    GetDialogItem(theDialog, popupItem, &type, &item, &box);
    const SInt16 mid = SInt16((box.top + box.bottom) / 2);
    return Rect{SInt16(mid - 8), SInt16(box.right + 6), SInt16(mid + 8), SInt16(box.right + 22)};
}

Boolean MyConfigureGridFilter(DialogRef theDialog, EventRecord* theEvent, DialogItemIndex* itemHit) {
    (void)itemHit;
    if (!theEvent || theEvent->what != updateEvt || EventWindow(*theEvent) != theDialog) return false;
    const auto* grid = static_cast<const GridCopy*>(GetWRefCon(theDialog));
    if (!grid) return false;
    BeginUpdate(theDialog);
    DrawDialog(theDialog);
    DrawSwatch(theDialog, 5, grid->pixelColor);
    DrawSwatch(theDialog, 6, grid->blockColor);
    EndUpdate(theDialog);
    return false;
}

void ConfigureGrid() {
    DialogRef d = GetNewDialog(kGridDialogID, nullptr, kFirstWindowOfClass);
    if (!d) {
        SysBeep(1);
        return;
    }
    GridCopy grid;
    grid.style = SInt16(gToolPrefs.gridSetting & 0x0F);
    grid.code = SInt16((gToolPrefs.gridSetting >> 4) & 0x0F);
    grid.pixelColor = gToolPrefs.pixelGridColor;
    grid.blockColor = gToolPrefs.blockGridColor;
    SetWRefCon(d, &grid);
    SetValue(d, 3, std::max<SInt16>(grid.style, 1));
    SetValue(d, 4, SInt16(grid.code + 1));
    SetValue(d, 5, ColorItem(grid.pixelColor));
    SetValue(d, 6, ColorItem(grid.blockColor));
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);

    BeginModal();
    ShowWindow(d);
    DialogItemIndex hit = 0;
    for (;;) {
        ModalDialog(MyConfigureGridFilter, &hit);
        if (hit == kStdOkItemIndex || hit == kStdCancelItemIndex) break;
        if (hit == 3) grid.style = Value(d, 3);
        if (hit == 4) grid.code = SInt16(Value(d, 4) - 1);
        if (hit == 5 || hit == 6) {
            RGBColor& color = hit == 5 ? grid.pixelColor : grid.blockColor;
            switch (Value(d, hit)) {
            case 1: color = RGBColor{0xFFFF, 0xFFFF, 0xFFFF}; break;
            case 2: color = RGBColor{0, 0, 0}; break;
            default: {
                Str255 prompt;
                GetIndString(prompt, kGridColorPromptStrList, hit == 5 ? 1 : 2);
                RGBColor picked;
                if (GetColor(Point{0, 0}, prompt, &color, &picked)) color = picked;
                SetValue(d, hit, ColorItem(color));
                break;
            }
            }
            const Rect r = GridSwatchRect(d, hit);
            InvalWindowRect(d, &r);
        }
    }
    SetWRefCon(d, nullptr);
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return;

    // Only the styles and codes the grid drawing knows are kept.
    const SInt16 style = grid.style >= 1 && grid.style <= 4 ? grid.style : 1;
    const SInt16 code = std::clamp<SInt16>(grid.code, 0, 2);
    gToolPrefs.gridSetting = UInt16(style + 16 * code);
    gToolPrefs.pixelGridColor = grid.pixelColor;
    gToolPrefs.blockGridColor = grid.blockColor;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (GetExtWindowKind(w) != kPaintWindowKind) continue;
        Rect port;
        GetWindowPortBounds(w, &port);
        InvalWindowRect(w, &port);
    }
}

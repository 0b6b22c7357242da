#include "palettes/BlendPalette.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ColorPicker.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Events.h"
#include "platform/ui/Menus.h"
#include "tools/ReplaceColor.h"
#include "tools/Tools.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

namespace {

constexpr Rect kCColorRect{2, 2, 16, 16};
constexpr Rect kBackSwatchRect{2, 19, 16, 33};
constexpr Rect kExchangeRect{13, 13, 17, 22};
constexpr Rect kLockRect{18, 1, 26, 34};
constexpr MenuID kBlendPopupMenuID = 170;
constexpr SInt16 kPickerPromptStrings = 154, kBlendFileStrings = 155;
constexpr SInt16 kLockItem = 4;
// 'clut' header (seed, flags, size) and one entry (value, red, green, blue).
constexpr size_t kClutHeader = 8, kClutEntry = 8;

Rect DerivedRect(int i) {
    const SInt16 top = SInt16(28 + 15 * (i % 5));
    return i < 5 ? Rect{top, 2, SInt16(top + 14), 16} : Rect{top, 19, SInt16(top + 14), 33};
}

bool Differ(const ColorRec& a, const ColorRec& b) { return !(a == b); }

void PickColorFor(SInt16 promptItem, const ColorRec& start, void (*apply)(const RGBColor*, Boolean)) {
    Str255 prompt;
    GetIndString(prompt, kPickerPromptStrings, promptItem);
    RGBColor chosen;
    if (!GetColor(Point{0, 0}, prompt, &start.rgb, &chosen)) return;
    FixColor(&chosen);
    apply(&chosen, false);
}

RGBColor BufferPixel(Point pt) {
    RGBColor color{};
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    GetCPixel(pt.h, pt.v, &color);
    return color;
}

void ShowPalette() {
    DrawBlend();
    if (gBlendPalette) InvalWindow(gBlendPalette);
}

// Waits on a press of the lock bar: 1 released inside (toggle), 2 held past
// the double-click time (pop-up), 0 the pointer left the bar.
int TrackLockPress() {
    const UInt32 start = TickCount();
    SavedGWorld saved;
    if (gBlendPalette) SetPortWindowPort(gBlendPalette);
    while (StillDown()) {
        Point pt;
        GetMouse(&pt);
        if (!PtInRect(pt, &kLockRect)) return 0;
        if (TickCount() - start >= GetDblTime()) return 2;
    }
    return 1;
}

std::array<UInt8, kClutHeader + 2 * kClutEntry> BlendClutBytes(const RGBColor& current, const RGBColor& previous) {
    std::array<UInt8, kClutHeader + 2 * kClutEntry> b{};
    const auto put16 = [&](size_t at, UInt16 v) {
        b[at] = UInt8(v >> 8);
        b[at + 1] = UInt8(v);
    };
    const UInt32 seed = UInt32(UniqueID(FourCC("clut")));
    put16(0, UInt16(seed >> 16));
    put16(2, UInt16(seed));
    put16(6, 1);  // size: entries less one
    const RGBColor entries[2] = {current, previous};
    for (size_t i = 0; i < 2; ++i) {
        const size_t e = kClutHeader + kClutEntry * i;
        put16(e, UInt16(i));
        put16(e + 2, entries[i].red);
        put16(e + 4, entries[i].green);
        put16(e + 6, entries[i].blue);
    }
    return b;
}

OSErr BuildBlendFile(std::vector<UInt8>* out) {
    const SInt16 ref = NewResFileInMemory();
    if (ref == kResFileNotOpen) return memFullErr;
    const SInt16 saved = CurResFile();
    UseResFile(ref);
    const auto clut = BlendClutBytes(gCurrentColor.rgb, gPrevColor.rgb);
    Handle h = NewHandle(Size(clut.size()));
    OSErr err = h ? OSErr(noErr) : OSErr(memFullErr);
    if (h) {
        std::copy(clut.begin(), clut.end(), reinterpret_cast<UInt8*>(*h));
        Str255 name;
        CopyCStringToPascal("blend colors", name);
        AddResource(h, FourCC("clut"), kBlendColorsID, name);
        err = ResError();
        if (err != noErr) DisposeHandle(h);
    }
    if (err == noErr) err = GetResFileBytes(ref, out);
    UseResFile(saved);
    CloseResFile(ref);
    return err;
}

// A blend palette file is a few hundred bytes: anything far larger is not
// one, and is not read into memory (the file and its companion "._name").
bool TooLargeToRead(const FSSpec& fileSpec) {
    constexpr std::uintmax_t kMaxBlendFileBytes = 1 << 20;
    const std::filesystem::path path = FSSpecToPath(&fileSpec);
    for (const auto& p : {path, path.parent_path() / ("._" + path.filename().string())}) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(p, ec);
        if (!ec && size > kMaxBlendFileBytes) return true;
    }
    return false;
}

}  // namespace

bool ParseBlendColors(std::span<const UInt8> clut, RGBColor* current, RGBColor* previous) {
    ByteReader in(clut);
    in.skip(6);
    const long entries = long(SInt16(in.u16be())) + 1;  // the size field counts entries less one
    RGBColor colors[2];
    for (RGBColor& c : colors) {
        in.skip(2);
        c.red = in.u16be();
        c.green = in.u16be();
        c.blue = in.u16be();
    }
    if (!in.ok() || entries < 2) return false;
    *current = colors[0];
    *previous = colors[1];
    return true;
}

void ClickBlendPalette(Point pt, Boolean option, Boolean command, Boolean control) {
    if (pt.h < 0 || pt.v < 0) return;
    if (PtInRect(pt, &kLockRect)) {
        const int outcome = control ? 2 : TrackLockPress();
        if (outcome == 1) HandleBlendPaletteChoice(kLockItem);
        else if (outcome == 2) DoBlendPop(pt);
        return;
    }
    if (PtInRect(pt, &kExchangeRect)) {
        if (!Differ(gCurrentColor, gBackColor)) return;
        const ColorRec back = gBackColor;
        ChangeColor(&back.rgb, back.isTransparent);
        const ColorRec old = gPrevColor;  // the old current colour
        ChangeBackColor(&old.rgb, old.isTransparent);
        return;
    }
    if (PtInRect(pt, &kCColorRect)) return PickColorFor(1, gCurrentColor, ChangeColor);
    if (PtInRect(pt, &kBackSwatchRect)) return PickColorFor(2, gBackColor, ChangeBackColor);
    if (control) {
        Point global = pt;
        SavedGWorld saved;
        if (gBlendPalette) SetPortWindowPort(gBlendPalette);
        LocalToGlobal(&global);
        ColorPalettePopup(global);
        return;
    }
    if (!gBlendPalettePtr) return;
    for (int i = 0; i < 10; ++i) {
        const Rect r = DerivedRect(i);
        if (!PtInRect(pt, &r)) continue;
        const RGBColor color = BufferPixel(Point{r.top, r.left});
        if (command) {
            WindowRef front = FrontDocumentWindow();
            if (front && GetExtWindowKind(front) == kPaintWindowKind)
                (void)DoReplaceColor(front, &gCurrentColor.rgb, gCurrentColor.isTransparent, &color, false);
            ChangeColor(&color, false);
        } else if (option) {
            ChangeBackColor(&color, false);
        } else {
            ChangeColor(&color, false);
        }
        return;
    }
}

void DoBlendPop(Point pt) {
    Point global = pt;
    {
        SavedGWorld saved;
        if (gBlendPalette) SetPortWindowPort(gBlendPalette);
        LocalToGlobal(&global);
    }
    MenuRef menu = GetMenu(kBlendPopupMenuID);
    if (!menu) return SysBeep(1);
    InsertMenu(menu, hierMenu);
    CheckMenuItem(menu, kLockItem, gBlendLocked);
    const SInt32 choice = PopUpMenuSelect(menu, global.v, global.h, 0);
    DeleteMenu(kBlendPopupMenuID);
    DisposeMenu(menu);
    if ((choice & 0xFFFF) != 0) HandleBlendPaletteChoice(SInt16(choice & 0xFFFF));
}

void HandleBlendPaletteChoice(SInt16 item) {
    switch (item) {
    case 1: {
        NavDialogOptions options;
        GetIndString(options.message, kBlendFileStrings, 4);
        NavReplyRecord reply;
        const OSErr err = NavChooseFile(&options, &reply);
        if (err == noErr && reply.validRecord) (void)LoadBlendPalette(reply.selection);
        else if (err != userCanceledErr) ErrorAlertFromResource(kBlendErrStrings, kBlendCannotOpenItem);
        break;
    }
    case 2: {
        Str255 message, name;
        GetIndString(message, kBlendFileStrings, 3);
        GetIndString(name, kBlendFileStrings, 2);
        FSSpec fileSpec;
        NavReplyRecord reply;
        if (SaveBlendPaletteWithNav(&fileSpec, &reply, message, name) != noErr) break;
        (void)SaveBlendPalette(fileSpec);
        break;
    }
    case kLockItem:
        gBlendLocked = !gBlendLocked;
        ShowPalette();
        if (MenuRef menu = GetMenuHandle(kBlendPaletteMenuID)) CheckMenuItem(menu, kLockItem, gBlendLocked);
        break;
    default: break;
    }
}

OSErr SaveBlendPaletteWithNav(FSSpec* fileSpec, NavReplyRecord* reply, ConstStr255Param message, ConstStr255Param name) {
    NavDialogOptions options;
    if (message) PStrCopy(message, options.message);
    if (name) PStrCopy(name, options.savedFileName);
    if (NavPutFile(&options, reply) != noErr || !reply->validRecord) return userCanceledErr;
    // A file being replaced is written beside and renamed over, never
    // deleted first, so that a failed save keeps it.
    *fileSpec = reply->selection;
    return noErr;
}

OSErr SaveBlendPalette(const FSSpec& fileSpec) {
    std::vector<UInt8> bytes;
    OSErr err = BuildBlendFile(&bytes);
    if (err == noErr) {
        // A fork read from a companion goes back there, or it would hide
        // the new one; anything else becomes a flat resource file.
        std::vector<UInt8> old;
        ForkSource source = ForkSource::none;
        const bool existed = FSpExists(&fileSpec);
        if (existed) (void)ReadResourceFork(&fileSpec, &old, &source);
        err = source == ForkSource::appleDouble ? WriteResourceFork(&fileSpec, bytes, source)
                                                : WriteFileAtomically(FSSpecToPath(&fileSpec), bytes);
        if (err == noErr) {
            FInfo info{};
            (void)FSpGetFInfo(&fileSpec, &info);
            info.fdType = kBlendFileType;
            info.fdCreator = gIconCreator;
            err = FSpSetFInfo(&fileSpec, &info);
        }
    }
    if (err != noErr) ErrorAlertFromResource(kBlendErrStrings, kBlendCannotWriteItem);
    return err;
}

OSErr LoadBlendPalette(const FSSpec& fileSpec) {
    // The fork is read whole and parsed here, so a file that is open
    // elsewhere (the preferences, say) is never closed under its owner.
    std::vector<UInt8> fork;
    ForkSource source = ForkSource::none;
    OSErr err = TooLargeToRead(fileSpec) ? OSErr(mapReadErr) : ReadResourceFork(&fileSpec, &fork, &source);
    RGBColor entry0{}, entry1{};
    if (err == noErr) {
        const SInt16 ref = OpenResFileFromBytes(fork, fsRdPerm);
        if (ref == kResFileNotOpen) {
            err = mapReadErr;
        } else {
            const SInt16 saved = CurResFile();
            UseResFile(ref);
            Handle clut = Get1Resource(FourCC("clut"), kBlendColorsID);
            const bool parsed =
                clut && ParseBlendColors({reinterpret_cast<const UInt8*>(*clut), size_t(GetHandleSize(clut))},
                                         &entry0, &entry1);
            if (!parsed) err = resNotFound;
            UseResFile(saved);
            CloseResFile(ref);
        }
    }
    if (err != noErr) {
        ErrorAlertFromResource(kBlendErrStrings, kBlendCannotOpenItem);
        return err;
    }
    const ColorRec current = gCurrentColor, previous = gPrevColor;
    // Drawn unlocked with the file's colours, then locked on them.
    gBlendLocked = false;
    gCurrentColor = ColorRec{entry0, 0};
    gPrevColor = ColorRec{entry1, 0};
    DrawBlend();
    HandleBlendPaletteChoice(kLockItem);
    gPrevColor = previous;
    gCurrentColor = current;
    ShowPalette();
    InvalidateColorPalettes();
    return noErr;
}

void UpdateCursorInBlendPalette(Point globalPt) {
    if (!gBlendPalette) return;
    Rect content, structure;
    GetWindowBounds(gBlendPalette, kWindowContentRgn, &content);
    GetWindowBounds(gBlendPalette, kWindowStructureRgn, &structure);
    Rect strip = content;
    strip.bottom = SInt16(std::min<int>(content.bottom, content.top + 26));
    UniqueRgn stripRgn;
    RectRgn(stripRgn, &strip);
    if (globalPt.v < strip.bottom) {
        if (gCurRgnHand) CopyRgn(stripRgn, gCurRgnHand);
        MySetCursor(kArrowCursorID);
    } else {
        if (gCurRgnHand) {
            RectRgn(gCurRgnHand, &structure);
            DiffRgn(gCurRgnHand, stripRgn, gCurRgnHand);
        }
        MySetCursor(EyedropperCursorID());
    }
}

#include "tools/TypeString.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "image/Colors.h"
#include "io/Clipboard.h"
#include "io/DocumentPicture.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Text.h"
#include "platform/ui/Cursors.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr SInt16 kTypeStringDialog = 133;
enum : DialogItemIndex {
    kFontItem = 3, kSizeItem = 4, kTextItem = 5, kBoldItem = 6, kShadowItem = 10, kSmoothItem = 11,
    kPreviewItem = 12,
};
constexpr int kSmoothScale = 4;

// Stored layout of typeStringPrefs (big-endian).
enum : size_t { kFontAt = 0, kSizeAt = 2, kFaceAt = 4, kTextAt = 6, kSmoothAt = 262, kFontItemAt = 264 };

SInt16 Get16(size_t at) { return SInt16(UInt16(gTypeStringPrefs[at] << 8 | gTypeStringPrefs[at + 1])); }
void Put16(size_t at, SInt16 v) {
    gTypeStringPrefs[at] = UInt8(UInt16(v) >> 8);
    gTypeStringPrefs[at + 1] = UInt8(v);
}

// The settings of the dialog being run, for its preview's draw procedure.
const TypeStringSettings* gPreviewSettings = nullptr;

void UseTextSettings(const TypeStringSettings& s, SInt16 size) {
    TextFont(s.font);
    TextSize(size);
    TextFace(s.face);
    TextMode(srcOr);
}

void ResetText() {
    TextFont(0);
    TextSize(0);
    TextFace(0);
    TextMode(srcOr);
}

void DrawPreviewItem(DialogRef dialog, DialogItemIndex) {
    if (gPreviewSettings) TypeStringTEUpdate(gPreviewSettings, dialog);
}

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = nullptr;
    return GetDialogItemAsControl(dialog, item, &control) == noErr ? control : nullptr;
}
void SetItemValue(DialogRef dialog, DialogItemIndex item, SInt16 value) {
    if (ControlRef control = ItemControl(dialog, item)) SetControlValue(control, value);
}

// The size field as a point size, or 0 when it holds none of 1 to 32767.
SInt16 ReadSize(DialogRef dialog) {
    Str255 text;
    GetDialogItemText(dialog, kSizeItem, text);
    const char* first = reinterpret_cast<const char*>(text + 1);
    int value = 0;
    const auto [end, err] = std::from_chars(first, first + text[0], value);
    if (text[0] == 0 || err != std::errc() || end != first + text[0] || value < 1 || value > 32767) return 0;
    return SInt16(value);
}

void SetSizeText(DialogRef dialog, SInt16 size) {
    Str255 text;
    CopyCStringToPascal(std::to_string(size), text);
    SetDialogItemText(dialog, kSizeItem, text);
}

void InvalPreview(DialogRef dialog) {
    DialogItemType type;
    Handle handle;
    Rect box;
    GetDialogItem(dialog, kPreviewItem, &type, &handle, &box);
    InvalWindowRect(dialog, &box);
}

// Fills the pop-up with the installed families, the settings' font first
// when it is none of them (the system font), and chooses the settings' font.
// A font number from an earlier run that names nothing now gives way to the
// stored item, so that the pop-up always shows the font that will be drawn.
void FillFontMenu(DialogRef dialog, TypeStringSettings* s) {
    ControlRef popup = ItemControl(dialog, kFontItem);
    MenuRef menu = popup ? GetControlPopupMenuHandle(popup) : nullptr;
    if (!menu) return;
    while (CountMenuItems(menu) > 0) DeleteMenuItem(menu, 1);
    Str255 currentName;
    GetFontName(s->font, currentName);
    const std::string current = PStringToStd(currentName);
    std::vector<std::string> names = FontFamilyNames();
    auto found = std::find(names.begin(), names.end(), current);
    if (!current.empty() && found == names.end()) found = names.insert(names.begin(), current);
    for (const std::string& name : names) {
        Str255 item;
        CopyCStringToPascal(name.substr(0, 255), item);
        AppendMenuItemText(menu, item);
    }
    const SInt16 count = SInt16(names.size());
    if (count == 0) return;
    SetControlMaximum(popup, count);
    SInt16 chosen = found != names.end() ? SInt16(found - names.begin() + 1) : s->fontItem;
    if (chosen < 1 || chosen > count) chosen = 1;
    if (found == names.end()) {
        Str255 name;
        CopyCStringToPascal(names[size_t(chosen - 1)].substr(0, 255), name);
        GetFNum(name, &s->font);
    }
    SetControlValue(popup, chosen);
    s->fontItem = chosen;
}

[[nodiscard]] OSErr NewBuffer(UniqueGWorld* g, SInt16 depth, const Rect& r) {
    if (RectWidth(r) > kMaxPictureEdge || RectHeight(r) > kMaxPictureEdge ||
        Size(RectWidth(r)) * RectHeight(r) > kMaxPictureArea)
        return memFullErr;
    if (NewGWorld(g->out(), depth, &r, nullptr, nullptr, useTempMem) != noErr || !*g) return memFullErr;
    return noErr;
}

// The text in black on white in a 1-bit buffer: the glyphs' pixels set.
[[nodiscard]] OSErr GlyphBits(const TypeStringSettings& s, SInt16 size, const Rect& r, Point pen, UniqueGWorld* out) {
    if (const OSErr err = NewBuffer(out, 1, r); err != noErr) return err;
    SetBlackOnWhite(out->get());
    EraseRect(&r);
    UseTextSettings(s, size);
    MoveTo(pen.h, pen.v);
    DrawString(s.text);
    ResetText();
    return noErr;
}

// The opaque part by the colours' transparency, from the glyph bits over r.
void OpaquePart(const BitMap* glyphs, GWorldPtr mask, const Rect& r) {
    SetBlackOnWhite(mask);
    if (!gCurrentColor.isTransparent && !gBackColor.isTransparent) {
        PaintRect(&r);
    } else if (gCurrentColor.isTransparent && gBackColor.isTransparent) {
        EraseRect(&r);
    } else {
        // Opaque where the opaque colour lies: the letters, or all but them.
        PaintRect(&r);
        CopyBits(glyphs, GetPortBitMapForCopyBits(mask), &r, &r, gBackColor.isTransparent ? srcCopy : notSrcCopy,
                 nullptr);
    }
}

}  // namespace

TypeStringSettings LoadTypeStringSettings() {
    TypeStringSettings s;
    s.font = Get16(kFontAt);
    s.size = Get16(kSizeAt);
    if (s.size <= 0) s.size = 12;
    s.face = SInt16(Get16(kFaceAt) & 0x1F);
    std::memcpy(s.text, &gTypeStringPrefs[kTextAt], 256);
    s.smooth = gTypeStringPrefs[kSmoothAt] ? 1 : 0;
    s.fontItem = Get16(kFontItemAt);
    return s;
}

void StoreTypeStringSettings(const TypeStringSettings& s) {
    Put16(kFontAt, s.font);
    Put16(kSizeAt, s.size);
    Put16(kFaceAt, s.face);
    std::memcpy(&gTypeStringPrefs[kTextAt], s.text, 256);
    gTypeStringPrefs[kSmoothAt] = s.smooth;
    gTypeStringPrefs[kSmoothAt + 1] = 0;
    Put16(kFontItemAt, s.fontItem);
}

void TypeStringTEUpdate(const TypeStringSettings* s, DialogRef dialog) {
    if (!s || !dialog) return;
    DialogItemType type;
    Handle handle;
    Rect box;
    GetDialogItem(dialog, kPreviewItem, &type, &handle, &box);
    SavedGWorld saved;
    SetPortWindowPort(dialog);
    UniqueRgn clip;
    GetClip(clip);
    ClipRect(&box);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&box);
    UseTextSettings(*s, s->size);
    FontInfo info;
    GetFontInfo(&info);
    MoveTo(SInt16(box.left + 4), SInt16(box.top + info.leading + info.ascent));
    DrawString(s->text);
    ResetText();
    FrameRect(&box);
    SetClip(clip);
}

DialogItemIndex ConfigureTypeString(TypeStringSettings* s) {
    BeginModal();
    DialogRef dialog = GetNewDialog(kTypeStringDialog, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        SysBeep(1);
        return kStdCancelItemIndex;
    }
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    FillFontMenu(dialog, s);
    SetSizeText(dialog, s->size);
    SetDialogItemText(dialog, kTextItem, s->text);
    for (DialogItemIndex item = kBoldItem; item <= kShadowItem; ++item)
        SetItemValue(dialog, item, (s->face >> (item - kBoldItem)) & 1);
    SetItemValue(dialog, kSmoothItem, s->smooth);
    gPreviewSettings = s;
    SetDialogItemDrawProc(dialog, kPreviewItem, DrawPreviewItem);
    SelectDialogItemText(dialog, kTextItem, 0, 32767);
    ShowWindow(dialog);

    DialogItemIndex item = 0;
    do {
        ModalDialog(MyModalDialogFilter, &item);
        if (item == kFontItem) {
            ControlRef popup = ItemControl(dialog, kFontItem);
            MenuRef menu = popup ? GetControlPopupMenuHandle(popup) : nullptr;
            const SInt16 chosen = popup ? GetControlValue(popup) : 0;
            if (menu && chosen >= 1 && chosen <= CountMenuItems(menu)) {
                Str255 name;
                GetMenuItemText(menu, MenuItemIndex(chosen), name);
                SInt16 family = 0;
                GetFNum(name, &family);
                s->font = family;
                s->fontItem = chosen;
            }
            InvalPreview(dialog);
        } else if (item == kSizeItem) {
            Str255 text;
            GetDialogItemText(dialog, kSizeItem, text);
            // An emptied field is being retyped; anything else out of range
            // gives the previous size back.
            if (const SInt16 size = ReadSize(dialog)) {
                s->size = size;
                InvalPreview(dialog);
            } else if (text[0] != 0) {
                SetSizeText(dialog, s->size);
                SelectDialogItemText(dialog, kSizeItem, 0, 32767);
            }
        } else if (item == kTextItem) {
            GetDialogItemText(dialog, kTextItem, s->text);
            InvalPreview(dialog);
        } else if (item >= kBoldItem && item <= kShadowItem) {
            s->face = SInt16(s->face ^ (1 << (item - kBoldItem)));
            SetItemValue(dialog, item, (s->face >> (item - kBoldItem)) & 1);
            InvalPreview(dialog);
        } else if (item == kSmoothItem) {
            s->smooth = s->smooth ? 0 : 1;
            SetItemValue(dialog, kSmoothItem, s->smooth);
        }
    } while (item != kStdOkItemIndex && item != kStdCancelItemIndex);
    if (item == kStdOkItemIndex) {
        if (const SInt16 size = ReadSize(dialog)) s->size = size;
        GetDialogItemText(dialog, kTextItem, s->text);
    }
    gPreviewSettings = nullptr;
    DisposeDialog(dialog);
    EndModal();
    return item;
}

OSErr RenderTypeString(const TypeStringSettings& s, TypedText* out) {
    if (!out) return paramErr;
    SavedGWorld saved;
    // Measured on a scratch port so that no document's text state changes.
    UniqueGWorld scratch;
    const Rect one{0, 0, 1, 1};
    if (NewGWorld(scratch.out(), 1, &one, nullptr, nullptr, useTempMem) != noErr) return memFullErr;
    SetGWorld(scratch.get(), nullptr);
    UseTextSettings(s, s.size);
    FontInfo info;
    GetFontInfo(&info);
    int width = StringWidth(s.text) + 2;
    if (s.face & italic) width += s.size / 10;
    if (s.face & underline) width += 2;
    const int height = info.ascent + info.descent + info.leading;
    ResetText();
    if (width < 1 || height < 1 || width > kMaxPictureEdge || height > kMaxPictureEdge) return memFullErr;
    Rect r{0, 0, SInt16(height), SInt16(width)};

    if (!s.smooth) {
        if (const OSErr err = NewBuffer(&out->image, 32, r); err != noErr) return err;
        if (const OSErr err = NewBuffer(&out->mask, 1, r); err != noErr) return err;
        SetBlackOnWhite(out->image.get());
        RGBBackColor(&gBackColor.rgb);
        EraseRect(&r);
        RGBForeColor(&gCurrentColor.rgb);
        UseTextSettings(s, s.size);
        MoveTo(1, info.ascent);
        DrawString(s.text);
        ResetText();
        RGBForeColor(&rgbBlackColor);
        RGBBackColor(&rgbWhiteColor);
        UniqueGWorld glyphs;
        if (gCurrentColor.isTransparent != gBackColor.isTransparent &&
            GlyphBits(s, s.size, r, Point{info.ascent, 1}, &glyphs) != noErr) {
            // Without the letters' shape the block stays opaque.
            SysBeep(1);
            SetBlackOnWhite(out->mask.get());
            PaintRect(&r);
        } else {
            OpaquePart(glyphs ? GetPortBitMapForCopyBits(glyphs.get()) : nullptr, out->mask.get(), r);
        }
        out->frame = r;
        return noErr;
    }

    // Smooth: drawn four times as large, each 4 × 4 block averaged.
    r.right = SInt16(r.right + 2);
    r.bottom = SInt16(r.bottom + 1);
    if (SInt32(s.size) * kSmoothScale > 32767) return memFullErr;
    const SInt16 bigSize = SInt16(s.size * kSmoothScale);
    const Rect big{0, 0, SInt16(RectHeight(r) * kSmoothScale), SInt16(RectWidth(r) * kSmoothScale)};
    if (RectWidth(r) * kSmoothScale > kMaxPictureEdge || RectHeight(r) * kSmoothScale > kMaxPictureEdge)
        return memFullErr;
    const Point bigPen{SInt16(kSmoothScale * info.ascent + 2), SInt16(kSmoothScale)};
    UniqueGWorld large;
    if (const OSErr err = NewBuffer(&large, 32, big); err != noErr) return err;
    if (const OSErr err = NewBuffer(&out->image, 32, r); err != noErr) return err;
    if (const OSErr err = NewBuffer(&out->mask, 1, r); err != noErr) return err;
    SetBlackOnWhite(large.get());
    RGBBackColor(&gBackColor.rgb);
    EraseRect(&big);
    RGBForeColor(&gCurrentColor.rgb);
    UseTextSettings(s, bigSize);
    MoveTo(bigPen.h, bigPen.v);
    DrawString(s.text);
    ResetText();
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);

    const PixMap& src = **GetGWorldPixMap(large.get());
    const PixMap& dst = **GetGWorldPixMap(out->image.get());
    for (int v = 0; v < RectHeight(r); ++v) {
        UInt8* d = PixRow(dst, v);
        for (int h = 0; h < RectWidth(r); ++h) {
            unsigned sum[3] = {0, 0, 0};
            for (int y = 0; y < kSmoothScale; ++y) {
                const UInt8* p = PixRow(src, v * kSmoothScale + y) + size_t(h) * kSmoothScale * 4;
                for (int x = 0; x < kSmoothScale; ++x, p += 4)
                    for (int c = 0; c < 3; ++c) sum[c] += p[1 + c];
            }
            constexpr unsigned n = kSmoothScale * kSmoothScale;
            d[4 * h] = 0;
            for (int c = 0; c < 3; ++c) d[4 * h + 1 + c] = UInt8((sum[c] + n / 2) / n);
        }
    }
    // Opaque where an opaque colour has any share of the block.
    UniqueGWorld glyphs, reduced;
    if (gCurrentColor.isTransparent != gBackColor.isTransparent) {
        if (GlyphBits(s, bigSize, big, bigPen, &glyphs) != noErr || NewBuffer(&reduced, 1, r) != noErr) {
            SysBeep(1);
            glyphs.reset();
        } else {
            const PixMap& g = **GetGWorldPixMap(glyphs.get());
            const PixMap& m = **GetGWorldPixMap(reduced.get());
            const bool wantGlyph = gBackColor.isTransparent;
            for (int v = 0; v < RectHeight(r); ++v)
                for (int h = 0; h < RectWidth(r); ++h) {
                    bool any = false;
                    for (int y = 0; y < kSmoothScale && !any; ++y)
                        for (int x = 0; x < kSmoothScale && !any; ++x) {
                            const int gx = h * kSmoothScale + x;
                            const bool set = (PixRow(g, v * kSmoothScale + y)[gx >> 3] >> (7 - (gx & 7))) & 1;
                            any = set == wantGlyph;
                        }
                    // Stored as the glyph bits are, so OpaquePart reads them alike.
                    if (any == wantGlyph) PixRow(m, v)[h >> 3] |= UInt8(0x80 >> (h & 7));
                }
        }
    }
    if (gCurrentColor.isTransparent != gBackColor.isTransparent && !reduced) {
        SetBlackOnWhite(out->mask.get());
        PaintRect(&r);
    } else {
        OpaquePart(reduced ? GetPortBitMapForCopyBits(reduced.get()) : nullptr, out->mask.get(), r);
    }
    out->frame = r;
    return noErr;
}

namespace {

// The text as a picture of its frame: the image copied through the region
// of its opaque pixels, which the paste takes as the selection's mask.
PicHandle TypedTextPicture(const TypedText& typed, Boolean smooth) {
    const Rect frame = typed.frame;
    UniqueRgn opaque;
    if (BitMapToRegion(opaque, Bits(typed.mask)) != noErr) return nullptr;
    return RecordPortPicture(typed.image.get(), frame, [&] {
        CopyBits(Bits(typed.image), Bits(typed.image), &frame, &frame, smooth ? SInt16(ditherCopy) : SInt16(srcCopy),
                 opaque);
    });
}

}  // namespace

OSErr PlaceTypedText(WindowRef window, TypedText* typed, Boolean smooth) {
    if (!GetPaintWinRec(window) || !typed || !typed->image || !typed->mask) return paramErr;
    UniqueHandle picture(TypedTextPicture(*typed, smooth));
    if (!picture) return memFullErr;
    return PutPictureIntoEditWin(picture.get(), window);
}

void TypeString(WindowRef window) {
    if (!GetPaintWinRec(window)) return;
    TypeStringSettings settings = LoadTypeStringSettings();
    ResetRuler();
    InitCursor();
    if (ConfigureTypeString(&settings) != kStdOkItemIndex) return;
    StoreTypeStringSettings(settings);

    TypedText typed;
    if (RenderTypeString(settings, &typed) != noErr) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    if (const OSErr err = PlaceTypedText(window, &typed, settings.smooth); err != noErr) {
        if (err != memFullErr) ErrorAlertFromResource(kMemoryErrStrings, 1);  // the paste has told its own
        SetUndoMode(kUndoNone);
        return;
    }
    SetUndoMode(kUndoTypeString);
    UpdateTransparentMenu();
    DispOffPort(window);
    DispSelection(window);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

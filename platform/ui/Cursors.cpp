// Cursors shown as Qt's application override cursor, drawn as ARGB pictures
// at the screen's whole scale factor: data and mask set is black, mask alone
// white (or the colour pixel of a colour cursor), no mask clear.
#include "platform/ui/Cursors.h"

#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/resources/Resources.h"
#include "platform/ui/LayerState.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QCursor>
#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace {

constexpr Cursor kArrow = {
    {0x0000, 0x4000, 0x6000, 0x7000, 0x7800, 0x7C00, 0x7E00, 0x7F00, 0x7F80, 0x7C00, 0x6C00, 0x4600, 0x0600, 0x0300,
     0x0300, 0x0000},
    {0xC000, 0xE000, 0xF000, 0xF800, 0xFC00, 0xFE00, 0xFF00, 0xFF80, 0xFFC0, 0xFFE0, 0xFE00, 0xEF00, 0xCF00, 0x8780,
     0x0780, 0x0380},
    {1, 1},
};

constexpr UInt32 kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kClear = 0;

using Pixels16 = std::array<UInt32, 256>;  // one cursor at 1:1, by rows

struct Chosen {
    Pixels16 pixels{};
    Point hotSpot{0, 0};
    Qt::CursorShape shape = Qt::BitmapCursor;  // a standard cursor of the system stands in
    bool operator==(const Chosen& o) const {
        return shape == o.shape && hotSpot == o.hotSpot && pixels == o.pixels;
    }
};

struct CursorState {
    bool overridden = false;
    int hideLevel = 0;  // hidden while above zero
    bool obscured = false;
    bool foreign = false;  // the mouse is over a widget that is not the layer's
    Chosen chosen;
    bool hasChosen = false;
    int factor = 1;
    CursorImage image;  // chosen, at factor
    QCursor current{Qt::ArrowCursor};
    UInt32 seed = 0;
    // GetCursor hands out handles that stay valid for the life of the program.
    std::map<SInt16, std::unique_ptr<Cursor>> cache;
    std::map<SInt16, CursPtr> masters;
};

CursorState& C() {
    static CursorState c;
    return c;
}

bool Bit(const UInt16 rows[16], int v, int h) { return v >= 0 && v < 16 && h >= 0 && h < 16 && (rows[v] >> (15 - h)) & 1; }

// Pixels where the data is set and the mask clear invert the screen. Qt
// cannot invert, so the rim of such an area is drawn dotted black and white
// (visible on any background) and its inside left clear.
Pixels16 PixelsOf(const UInt16 data[16], const UInt16 mask[16], const CCrsr* colour) {
    Pixels16 px{};
    auto inverted = [&](int v, int h) {
        return v >= 0 && v < 16 && h >= 0 && h < 16 && Bit(data, v, h) && !Bit(mask, v, h);
    };
    for (int v = 0; v < 16; ++v)
        for (int h = 0; h < 16; ++h) {
            UInt32& p = px[size_t(v * 16 + h)];
            if (Bit(mask, v, h)) {
                if (colour) {
                    const int index = (colour->crsrData[v][h / 4] >> (6 - 2 * (h % 4))) & 3;
                    const RGBColor& c = colour->crsrColors[index];
                    p = 0xFF000000u | UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
                } else {
                    p = Bit(data, v, h) ? kBlack : kWhite;
                }
            } else if (inverted(v, h)) {
                const bool rim = !inverted(v - 1, h) || !inverted(v + 1, h) || !inverted(v, h - 1) || !inverted(v, h + 1);
                p = !rim ? kClear : ((v + h) % 2 ? kWhite : kBlack);
            } else {
                p = kClear;
            }
        }
    return px;
}

CursorImage Scaled(const Pixels16& px, Point hotSpot, int factor) {
    CursorImage out;
    out.size = 16 * factor;
    out.pixels.resize(size_t(out.size) * size_t(out.size));
    for (int y = 0; y < out.size; ++y)
        for (int x = 0; x < out.size; ++x)
            out.pixels[size_t(y * out.size + x)] = px[size_t((y / factor) * 16 + x / factor)];
    out.hotSpot = Point{SInt16(hotSpot.v * factor), SInt16(hotSpot.h * factor)};
    return out;
}

// The scale factor of the screen under the mouse, rounded up to a whole number.
int ScreenFactor() {
    QScreen* screen = QGuiApplication::screenAt(ui_internal::QtFromGlobal(ui_internal::LiveInput().mouse));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
    return std::clamp(int(std::ceil(dpr - 1e-6)), 1, 8);
}

void Apply() {
    CursorState& c = C();
    if (!qApp) return;
    // While a modal window is up (an alert, a dialog, a file dialog) or the
    // mouse is over Qt's own widgets (the menu bar, an open menu), they show
    // their own cursors: the arrow, the text cursor in fields.
    if (QApplication::activeModalWidget() || c.foreign) {
        if (c.overridden) QApplication::restoreOverrideCursor();
        c.overridden = false;
        return;
    }
    const QCursor shown = (c.hideLevel > 0 || c.obscured) ? QCursor(Qt::BlankCursor) : c.current;
    if (!c.overridden) {
        QApplication::setOverrideCursor(shown);
        c.overridden = true;
    } else {
        QApplication::changeOverrideCursor(shown);
    }
}

// Makes the Qt cursor of the chosen one at the screen's factor. X11 takes the
// picture in device pixels as it is; Wayland scales it by its pixel ratio.
void Build() {
    CursorState& c = C();
    c.image = Scaled(c.chosen.pixels, c.chosen.hotSpot, c.factor);
    if (c.chosen.shape != Qt::BitmapCursor) {
        c.current = QCursor(c.chosen.shape);
        return;
    }
    QImage img(c.image.size, c.image.size, QImage::Format_ARGB32);
    for (int y = 0; y < c.image.size; ++y)
        std::copy_n(c.image.pixels.data() + size_t(y * c.image.size), c.image.size,
                    reinterpret_cast<UInt32*>(img.scanLine(y)));
    QPixmap pixmap = QPixmap::fromImage(img);
    int hotH = c.image.hotSpot.h, hotV = c.image.hotSpot.v;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        pixmap.setDevicePixelRatio(c.factor);
        hotH /= c.factor;
        hotV /= c.factor;
    }
    c.current = QCursor(pixmap, hotH, hotV);
}

// Qt is called only when the cursor or the screen's factor changes.
void Choose(const Chosen& chosen) {
    CursorState& c = C();
    const int factor = qApp ? ScreenFactor() : 1;
    if (c.hasChosen && c.chosen == chosen && c.factor == factor) return;
    if (!(c.hasChosen && c.chosen == chosen)) ++c.seed;
    c.chosen = chosen;
    c.hasChosen = true;
    c.factor = factor;
    Build();
    Apply();
}

// Small standard cursors for when the resources have none.
Cursor StandardCursor(SInt16 id) {
    Cursor k{};
    auto set = [&](int v, int h) {
        if (v >= 0 && v < 16 && h >= 0 && h < 16) k.data[v] |= UInt16(0x8000 >> h);
    };
    switch (id) {
    case iBeamCursor:
        for (int v = 1; v < 15; ++v) set(v, 7);
        for (int h = 4; h < 11; ++h) { if (h != 7) { set(0, h); set(15, h); } }
        k.hotSpot = {8, 7};
        break;
    case crossCursor:
        for (int i = 0; i < 15; ++i) { set(i, 7); set(7, i); }
        k.hotSpot = {7, 7};
        break;
    case plusCursor:
        for (int i = 1; i < 14; ++i) { set(i, 6); set(i, 7); set(6, i); set(7, i); }
        k.hotSpot = {7, 7};
        break;
    case watchCursor:
        for (int v = 0; v < 16; ++v)
            for (int h = 0; h < 16; ++h) {
                const int dv = 2 * v - 15, dh = 2 * h - 15, d = dv * dv + dh * dh;
                if (d <= 15 * 15 && d >= 11 * 11) set(v, h);
            }
        set(4, 7); set(5, 7); set(6, 7); set(7, 7); set(7, 8); set(7, 9);
        k.hotSpot = {8, 8};
        break;
    default:
        break;
    }
    // The mask is the data grown by one pixel, so the cursor shows on black and white.
    for (int v = 0; v < 16; ++v) {
        UInt16 m = UInt16(k.data[v] | (k.data[v] << 1) | (k.data[v] >> 1));
        if (v > 0) m |= k.data[v - 1];
        if (v < 15) m |= k.data[v + 1];
        k.mask[v] = m;
    }
    return k;
}

// The system's own cursor for the arrow and the standard cursors, which
// follows the desktop's theme and size.
Qt::CursorShape SystemShape(const Cursor& k) {
    static const Cursor standard[4] = {StandardCursor(iBeamCursor), StandardCursor(crossCursor),
                                       StandardCursor(plusCursor), StandardCursor(watchCursor)};
    static constexpr Qt::CursorShape shapes[4] = {Qt::IBeamCursor, Qt::CrossCursor, Qt::CrossCursor, Qt::WaitCursor};
    auto same = [&](const Cursor& a) {
        return std::equal(std::begin(a.data), std::end(a.data), std::begin(k.data)) &&
               std::equal(std::begin(a.mask), std::end(a.mask), std::begin(k.mask)) && a.hotSpot == k.hotSpot;
    };
    if (same(kArrow)) return Qt::ArrowCursor;
    for (int i = 0; i < 4; ++i)
        if (same(standard[i])) return shapes[i];
    return Qt::BitmapCursor;
}

}  // namespace

namespace ui_internal {
void MouseMovedForCursor() {
    CursorState& c = C();
    if (c.obscured) {
        c.obscured = false;
        Apply();
    }
    // A screen of another scale factor needs the cursor drawn anew.
    if (c.hasChosen && QGuiApplication::screens().size() > 1 && ScreenFactor() != c.factor) {
        c.factor = ScreenFactor();
        Build();
        Apply();
    }
}

void ModalChangedForCursor() { Apply(); }

void PointerOverLayer(bool over) {
    if (C().foreign != over) return;
    C().foreign = !over;
    Apply();
}
}  // namespace ui_internal

const Cursor* GetQDGlobalsArrow(Cursor* arrow) {
    if (arrow) *arrow = kArrow;
    return arrow;
}

void InitCursor() {
    C().hideLevel = 0;
    C().obscured = false;
    SetCursor(&kArrow);
    Apply();
}

void SetCursor(const Cursor* crsr) {
    if (!crsr) return;
    Chosen chosen;
    chosen.pixels = PixelsOf(crsr->data, crsr->mask, nullptr);
    chosen.hotSpot = crsr->hotSpot;
    chosen.shape = SystemShape(*crsr);
    Choose(chosen);
}

void SetCCursor(const CCrsr* cCrsr) {
    if (!cCrsr) return;
    Chosen chosen;
    chosen.pixels = PixelsOf(cCrsr->crsr1Data, cCrsr->crsrMask, cCrsr);
    chosen.hotSpot = cCrsr->crsrHotSpot;
    Choose(chosen);
}

UInt32 GetCursorSeed() { return C().seed; }

CursorImage RenderCursor(const Cursor& crsr, int factor) {
    return Scaled(PixelsOf(crsr.data, crsr.mask, nullptr), crsr.hotSpot, std::clamp(factor, 1, 8));
}

CursorImage RenderColorCursor(const CCrsr& crsr, int factor) {
    return Scaled(PixelsOf(crsr.crsr1Data, crsr.crsrMask, &crsr), crsr.crsrHotSpot, std::clamp(factor, 1, 8));
}

const CursorImage& ShownCursorImage() { return C().image; }

CursHandle GetCursor(SInt16 cursorID) {
    CursorState& c = C();
    Cursor k{};
    Handle h = GetResource(FourCC("CURS"), cursorID);
    if (h && *h && GetHandleSize(h) >= 68) {
        const auto* b = reinterpret_cast<const UInt8*>(*h);
        for (int i = 0; i < 16; ++i) {
            k.data[i] = UInt16((b[2 * i] << 8) | b[2 * i + 1]);
            k.mask[i] = UInt16((b[32 + 2 * i] << 8) | b[32 + 2 * i + 1]);
        }
        k.hotSpot.v = SInt16((b[64] << 8) | b[65]);
        k.hotSpot.h = SInt16((b[66] << 8) | b[67]);
    } else if (cursorID >= iBeamCursor && cursorID <= watchCursor) {
        k = StandardCursor(cursorID);
    } else {
        return nullptr;
    }
    auto& slot = c.cache[cursorID];
    if (!slot) slot = std::make_unique<Cursor>();
    *slot = k;
    c.masters[cursorID] = slot.get();
    return &c.masters[cursorID];
}

void UseCursor(SInt16 cursorID) {
    if (CursHandle c = GetCursor(cursorID)) SetCursor(*c);
}

OSErr ParseColorCursor(std::span<const UInt8> bytes, CCrsr* out) {
    if (!out) return paramErr;
    CCrsr k{};
    ByteReader r(bytes);
    const UInt16 type = r.u16be();
    const UInt32 mapOffset = r.u32be(), dataOffset = r.u32be();
    r.skip(4 + 2 + 4);  // crsrXData, crsrXValid, crsrXHandle: the toolbox's own
    for (UInt16& row : k.crsr1Data) row = r.u16be();
    for (UInt16& row : k.crsrMask) row = r.u16be();
    k.crsrHotSpot.v = r.s16be();
    k.crsrHotSpot.h = r.s16be();
    if (!r.ok() || type != 0x8001 || k.crsrHotSpot.v < 0 || k.crsrHotSpot.v > 15 || k.crsrHotSpot.h < 0 ||
        k.crsrHotSpot.h > 15)
        return paramErr;
    r.seek(mapOffset);
    r.skip(4);  // baseAddr
    const UInt16 rowBytes = UInt16(r.u16be() & 0x3FFF);
    const Rect bounds{r.s16be(), r.s16be(), r.s16be(), r.s16be()};
    r.skip(2 + 2 + 4 + 4 + 4 + 2);  // version, packing, resolution, pixel type
    const UInt16 pixelSize = r.u16be();
    r.skip(2 + 2 + 4);  // components, plane bytes
    const UInt32 tableOffset = r.u32be();
    if (!r.ok() || pixelSize != 2 || rowBytes < 4 || bounds != Rect{0, 0, 16, 16}) return paramErr;
    for (int v = 0; v < 16; ++v) {
        if (!r.seek(size_t(dataOffset) + size_t(v) * rowBytes)) return paramErr;
        for (UInt8& b : k.crsrData[v]) b = r.u8();
    }
    k.crsrColors[0] = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    r.seek(tableOffset);
    r.skip(4 + 2);  // seed, flags
    const UInt16 count = UInt16(r.u16be() + 1);
    if (!r.ok() || count > 256) return paramErr;
    for (UInt16 i = 0; i < count; ++i) {
        const UInt16 value = r.u16be();
        const RGBColor rgb{r.u16be(), r.u16be(), r.u16be()};
        if (value < 4) k.crsrColors[value] = rgb;
    }
    if (!r.ok()) return paramErr;
    *out = k;
    return noErr;
}

UniqueCCrsr GetCCursor(SInt16 crsrID) {
    Handle h = GetResource(FourCC("crsr"), crsrID);
    if (!h) return nullptr;
    auto crsr = std::make_unique<CCrsr>();
    if (ParseColorCursor(HandleBytes(h), crsr.get()) != noErr) return nullptr;
    return crsr;
}

void HideCursor() {
    ++C().hideLevel;
    Apply();
}

void ShowCursor() {
    if (C().hideLevel > 0) --C().hideLevel;
    Apply();
}

void ObscureCursor() {
    C().obscured = true;
    Apply();
}

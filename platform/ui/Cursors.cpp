// Black-and-white cursors with masks, shown as Qt's application override
// cursor. Qt's bitmap cursors have the same meaning as 'CURS' data: data and
// mask set is black, mask alone is white, no mask is transparent.
#include "platform/ui/Cursors.h"

#include "platform/core/Memory.h"
#include "platform/resources/Resources.h"
#include "platform/ui/LayerState.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QImage>

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

struct CursorState {
    bool overridden = false;
    int hideLevel = 0;  // hidden while above zero
    bool obscured = false;
    QCursor current{Qt::ArrowCursor};
    // GetCursor hands out handles that stay valid for the life of the program.
    std::map<SInt16, std::unique_ptr<Cursor>> cache;
    std::map<SInt16, CursPtr> masters;
};

CursorState& C() {
    static CursorState c;
    return c;
}

QBitmap BitmapOf(const UInt16 rows[16]) {
    QImage img(16, 16, QImage::Format_Mono);
    img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < 16; ++y) {
        uchar* line = img.scanLine(y);
        line[0] = uchar(rows[y] >> 8);
        line[1] = uchar(rows[y] & 0xFF);
    }
    return QBitmap::fromImage(img);
}

void Apply() {
    CursorState& c = C();
    if (!qApp) return;
    const QCursor shown = (c.hideLevel > 0 || c.obscured) ? QCursor(Qt::BlankCursor) : c.current;
    if (!c.overridden) {
        QApplication::setOverrideCursor(shown);
        c.overridden = true;
    } else {
        QApplication::changeOverrideCursor(shown);
    }
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

}  // namespace

namespace ui_internal {
void MouseMovedForCursor() {
    if (C().obscured) {
        C().obscured = false;
        Apply();
    }
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
}

void SetCursor(const Cursor* crsr) {
    if (!crsr) return;
    // Data without mask inverts the screen in the toolbox; Qt has no portable
    // inversion, so those pixels are left transparent.
    UInt16 data[16];
    for (int i = 0; i < 16; ++i) data[i] = UInt16(crsr->data[i] & crsr->mask[i]);
    C().current = QCursor(BitmapOf(data), BitmapOf(crsr->mask), crsr->hotSpot.h, crsr->hotSpot.v);
    Apply();
}

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

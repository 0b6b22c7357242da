// The one-line text field. The record keeps valid UTF-8 and byte offsets that
// always lie on character boundaries; the field is drawn whole (it is one short
// line) into its port whenever its text, selection, activity or caret changes,
// and shown at once, since it changes outside update events.
#include "platform/ui/TextEdit.h"

#include "platform/core/Geometry.h"
#include "platform/core/TextEncoding.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Text.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// The longest text a field holds: a name's length.
constexpr size_t kMaxTextBytes = 255;
// Text starts this far inside the destination rectangle, so that a caret at
// offset 0 shows.
constexpr SInt16 kInset = 1;
constexpr RGBColor kHiliteColor{0xB4B4, 0xD5D5, 0xFEFE};
constexpr RGBColor kInactiveColor{0x9999, 0x9999, 0x9999};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

struct TERec {
    CGrafPtr port = nullptr;
    Rect destRect{};
    Rect viewRect{};
    SInt16 txFont = 0;
    SInt16 txSize = 0;
    Style txFace = normal;
    std::string text;
    SInt32 selStart = 0;
    SInt32 selEnd = 0;
    Boolean active = false;
    Boolean caretShown = false;
    UInt32 caretTicks = 0;  // when the caret last changed
    SInt32 scroll = 0;      // pixels of text scrolled out at the left
};

namespace {

SInt32 PrevBoundary(const std::string& s, SInt32 at) {
    if (at <= 0) return 0;
    --at;
    while (at > 0 && IsContinuation(static_cast<unsigned char>(s[size_t(at)]))) --at;
    return at;
}

SInt32 NextBoundary(const std::string& s, SInt32 at) {
    const SInt32 len = SInt32(s.size());
    if (at >= len) return len;
    ++at;
    while (at < len && IsContinuation(static_cast<unsigned char>(s[size_t(at)]))) ++at;
    return at;
}

// `at` clamped into the text and moved back onto a character boundary.
SInt32 Snap(const std::string& s, SInt32 at) {
    at = std::clamp<SInt32>(at, 0, SInt32(s.size()));
    while (at > 0 && at < SInt32(s.size()) && IsContinuation(static_cast<unsigned char>(s[size_t(at)]))) --at;
    return at;
}

// Port state the field changes while it draws or measures, restored after.
class FieldPort {
public:
    explicit FieldPort(TEHandle te) {
        SetGWorld(te->port, nullptr);
        font_ = te->port->txFont;
        size_ = te->port->txSize;
        face_ = te->port->txFace;
        mode_ = te->port->txMode;
        fore_ = te->port->rgbFgColor;
        back_ = te->port->rgbBkColor;
        GetPenState(&pen_);
        TextFont(te->txFont);
        TextSize(te->txSize);
        TextFace(te->txFace);
        TextMode(srcOr);
    }
    ~FieldPort() {
        TextFont(font_);
        TextSize(size_);
        TextFace(face_);
        TextMode(mode_);
        RGBForeColor(&fore_);
        RGBBackColor(&back_);
        SetPenState(&pen_);
    }
    FieldPort(const FieldPort&) = delete;
    FieldPort& operator=(const FieldPort&) = delete;

private:
    SavedGWorld saved_;
    SInt16 font_ = 0, size_ = 0, mode_ = srcOr;
    Style face_ = normal;
    RGBColor fore_, back_;
    PenState pen_;
};

// Width of the text's first `bytes` bytes, in the current port.
SInt32 PrefixWidth(const TERec& te, SInt32 bytes) {
    return bytes <= 0 ? 0 : TextWidth(te.text.data(), 0, SInt16(std::min<SInt32>(bytes, 32767)));
}

// Horizontal position of the text's start in the port.
SInt32 TextOrigin(const TERec& te) { return te.destRect.left + kInset - te.scroll; }

// The character boundary nearest to horizontal position `h`.
SInt32 OffsetAt(const TERec& te, SInt16 h) {
    const SInt32 x = h - TextOrigin(te);
    SInt32 best = 0, bestDistance = std::abs(x);
    for (SInt32 at = NextBoundary(te.text, 0), prev = 0; at > prev; prev = at, at = NextBoundary(te.text, at)) {
        const SInt32 distance = std::abs(x - PrefixWidth(te, at));
        if (distance < bestDistance) best = at, bestDistance = distance;
    }
    return best;
}

// Scrolls so that the selection's active end shows inside the view.
void ScrollToOffset(TERec& te, SInt32 offset) {
    const SInt32 room = std::max(1, RectWidth(te.viewRect) - 2 * kInset);
    const SInt32 x = PrefixWidth(te, offset);
    if (x - te.scroll > room) te.scroll = x - room;
    if (x < te.scroll) te.scroll = x;
    // Nothing scrolled out when the whole text fits.
    const SInt32 total = PrefixWidth(te, SInt32(te.text.size()));
    if (total <= room) te.scroll = 0;
    else te.scroll = std::min(te.scroll, total - room + 1);
    te.scroll = std::max<SInt32>(te.scroll, 0);
}

Rect LineRect(const TERec& te, SInt32 from, SInt32 to) {
    const SInt32 origin = TextOrigin(te);
    return MakeRect(te.destRect.top, int(origin + PrefixWidth(te, from)), te.destRect.bottom,
                    int(origin + PrefixWidth(te, to)));
}

// Draws the whole field into its port, within `area` (port coordinates).
void DrawField(TERec& te, const Rect& area) {
    FieldPort state(&te);
    Rect box;
    if (!SectRect(&te.viewRect, &area, &box)) return;
    UniqueRgn savedClip;
    GetClip(savedClip);
    UniqueRgn clip;
    RectRgn(clip, &box);
    SectRgn(clip, savedClip, clip);
    SetClip(clip);

    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF}, black{0, 0, 0};
    RGBForeColor(&black);
    RGBBackColor(&white);
    EraseRect(&te.viewRect);

    const SInt32 from = std::min(te.selStart, te.selEnd), to = std::max(te.selStart, te.selEnd);
    if (from != to) {
        Rect hilite = LineRect(te, from, to);
        if (te.active) {
            RGBForeColor(&kHiliteColor);
            PaintRect(&hilite);
        } else {
            // Outline highlighting: the selection stays visible, framed.
            RGBForeColor(&kInactiveColor);
            FrameRect(&hilite);
        }
        RGBForeColor(&black);
    }
    FontInfo info;
    GetFontInfo(&info);
    const int lineHeight = RectHeight(te.destRect);
    const int baseline = te.destRect.top + std::max(0, (lineHeight - info.ascent - info.descent) / 2) + info.ascent;
    MoveTo(SInt16(TextOrigin(te)), SInt16(baseline));
    if (!te.text.empty())
        DrawText(te.text.data(), 0, SInt16(std::min<size_t>(te.text.size(), kMaxTextBytes)));
    if (te.active && from == to && te.caretShown) {
        const SInt32 x = TextOrigin(te) + PrefixWidth(te, from);
        PenNormal();
        MoveTo(SInt16(x), te.destRect.top);
        LineTo(SInt16(x), SInt16(te.destRect.bottom - 1));
    }
    SetClip(savedClip);
}

// Redraws the field now, outside an update, and shows it.
void Redraw(TERec& te) {
    DrawField(te, te.viewRect);
    UniqueRgn shown;
    RectRgn(shown, &te.viewRect);
    QDFlushPortBuffer(te.port, shown);
}

void RestartCaret(TERec& te) {
    te.caretShown = true;
    te.caretTicks = TickCount();
}

void Select(TERec& te, SInt32 start, SInt32 end, SInt32 activeEnd) {
    te.selStart = Snap(te.text, std::min(start, end));
    te.selEnd = Snap(te.text, std::max(start, end));
    FieldPort state(&te);
    ScrollToOffset(te, Snap(te.text, activeEnd));
}

void ReplaceSelection(TERec& te, std::string_view with) {
    const size_t from = size_t(te.selStart), to = size_t(te.selEnd);
    const size_t room = kMaxTextBytes - (te.text.size() - (to - from));
    if (with.size() > room) {
        SysBeep(1);  // full: the key is refused, as a field at its limit does
        with = {};
    }
    te.text.replace(from, to - from, with);
    const SInt32 caret = SInt32(from + with.size());
    Select(te, caret, caret, caret);
}

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

TEHandle TENew(const Rect& destRect, const Rect& viewRect) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port) return nullptr;
    auto te = std::make_unique<TERec>();
    te->port = port;
    te->destRect = destRect;
    te->viewRect = viewRect;
    te->txFont = port->txFont;
    te->txSize = port->txSize;
    te->txFace = port->txFace;
    return te.release();
}

void TEDispose(TEHandle te) { std::unique_ptr<TERec> owned(te); }

void TESetText(const void* text, SInt32 length, TEHandle te) {
    if (!te) return;
    std::string value;
    if (text && length > 0) {
        value = LegacyTextToUtf8(std::string_view(static_cast<const char*>(text), size_t(length)));
        if (value.size() > kMaxTextBytes) value.resize(size_t(Snap(value, SInt32(kMaxTextBytes))));
    }
    te->text = std::move(value);
    const SInt32 end = SInt32(te->text.size());
    te->scroll = 0;
    Select(*te, end, end, end);
}

std::string TEGetText(TEHandle te) { return te ? te->text : std::string(); }

void TESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te) {
    if (!te) return;
    Select(*te, selStart, selEnd, std::max(selStart, selEnd));
    RestartCaret(*te);
    Redraw(*te);
}

SInt32 TEGetSelStart(TEHandle te) { return te ? te->selStart : 0; }
SInt32 TEGetSelEnd(TEHandle te) { return te ? te->selEnd : 0; }

void TEActivate(TEHandle te) {
    if (!te || te->active) return;
    te->active = true;
    RestartCaret(*te);
    Redraw(*te);
}

void TEDeactivate(TEHandle te) {
    if (!te || !te->active) return;
    te->active = false;
    te->caretShown = false;
    Redraw(*te);
}

Boolean TEIsActive(TEHandle te) { return te && te->active; }

void TEClick(Point localPt, Boolean extend, TEHandle te) {
    if (!te) return;
    SInt32 anchor;
    {
        FieldPort state(te);
        const SInt32 hit = OffsetAt(*te, localPt.h);
        if (extend) {
            // The end of the selection away from the click stays put.
            anchor = hit < te->selStart ? te->selEnd : te->selStart;
        } else {
            anchor = hit;
        }
        Select(*te, anchor, hit, hit);
    }
    RestartCaret(*te);
    Redraw(*te);
    // Dragging extends the selection from the anchor, scrolling past the view's ends.
    while (StillDown()) {
        Point mouse;
        {
            SavedGWorld saved;
            SetGWorld(te->port, nullptr);
            GetMouse(&mouse);
        }
        SInt32 hit;
        {
            FieldPort state(te);
            hit = OffsetAt(*te, mouse.h);
        }
        const SInt32 from = std::min(anchor, hit), to = std::max(anchor, hit);
        if (from == te->selStart && to == te->selEnd) continue;
        Select(*te, from, to, hit);
        RestartCaret(*te);
        Redraw(*te);
    }
}

void TEKey(char16_t key, TEHandle te) {
    if (!te) return;
    TERec& r = *te;
    const SInt32 len = SInt32(r.text.size());
    switch (key) {
    case kBackspaceCharCode:
        if (r.selStart == r.selEnd) r.selStart = PrevBoundary(r.text, r.selStart);
        ReplaceSelection(r, {});
        break;
    case kDeleteCharCode:
        if (r.selStart == r.selEnd) r.selEnd = NextBoundary(r.text, r.selEnd);
        ReplaceSelection(r, {});
        break;
    case kLeftArrowCharCode: {
        const SInt32 to = r.selStart == r.selEnd ? PrevBoundary(r.text, r.selStart) : r.selStart;
        Select(r, to, to, to);
        break;
    }
    case kRightArrowCharCode: {
        const SInt32 to = r.selStart == r.selEnd ? NextBoundary(r.text, r.selEnd) : r.selEnd;
        Select(r, to, to, to);
        break;
    }
    case kHomeCharCode:
    case kUpArrowCharCode:
        Select(r, 0, 0, 0);
        break;
    case kEndCharCode:
    case kDownArrowCharCode:
        Select(r, len, len, len);
        break;
    default:
        // Control characters and lone surrogate halves are not text.
        if (key < 0x20 || (key >= 0xD800 && key <= 0xDFFF)) return;
        ReplaceSelection(r, Utf8Of(key));
        break;
    }
    RestartCaret(r);
    Redraw(r);
}

void TEIdle(TEHandle te) {
    if (!te || !te->active || te->selStart != te->selEnd) return;
    if (TickCount() - te->caretTicks < GetCaretTime()) return;
    te->caretShown = !te->caretShown;
    te->caretTicks = TickCount();
    Redraw(*te);
}

void TEUpdate(const Rect& updateRect, TEHandle te) {
    if (te) DrawField(*te, updateRect);
}

CGrafPtr TEGetPort(TEHandle te) { return te ? te->port : nullptr; }

#include "platform/raster/Text.h"

#include "platform/core/TextEncoding.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/PenRaster.h"
#include "platform/raster/TransferModes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace {

QString Decode(const void* buf, int n) {
    if (!buf || n <= 0) return {};
    return QString::fromStdString(LegacyTextToUtf8(std::string_view(static_cast<const char*>(buf), size_t(n))));
}

bool HaveFontEngine() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// ---- Font numbers ------------------------------------------------------------

struct BuiltinFont {
    SInt16 number;
    const char* name;
    const char* candidates[4];
    QFont::StyleHint hint;
};
constexpr BuiltinFont kBuiltins[] = {
    {systemFont, "System", {"DejaVu Sans", "Nimbus Sans", "Liberation Sans", nullptr}, QFont::SansSerif},
    {applFont, "Application", {"DejaVu Sans", "Nimbus Sans", "Liberation Sans", nullptr}, QFont::SansSerif},
    {kFontIDGeneva, "Geneva", {"DejaVu Sans", "Nimbus Sans", "Liberation Sans", nullptr}, QFont::SansSerif},
    {kFontIDMonaco, "Monaco", {"DejaVu Sans Mono", "Noto Sans Mono", "Liberation Mono", nullptr}, QFont::Monospace},
    {kFontIDTimes, "Times", {"Nimbus Roman", "Liberation Serif", "DejaVu Serif", nullptr}, QFont::Serif},
    {kFontIDHelvetica, "Helvetica", {"Nimbus Sans", "Liberation Sans", "DejaVu Sans", nullptr}, QFont::SansSerif},
    {kFontIDCourier, "Courier", {"Nimbus Mono PS", "Liberation Mono", "DejaVu Sans Mono", nullptr}, QFont::Monospace},
};

// Installed families given numbers by GetFNum, by number.
std::map<SInt16, std::string>& Registered() {
    static std::map<SInt16, std::string> names;
    return names;
}
constexpr SInt16 kFirstRegisteredFont = 1024;

const BuiltinFont* Builtin(SInt16 number) {
    for (const auto& b : kBuiltins)
        if (b.number == number) return &b;
    return nullptr;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(UInt8(x)) == std::tolower(UInt8(y));
           });
}

QString FamilyFor(SInt16 number, QFont::StyleHint* hint) {
    *hint = QFont::SansSerif;
    if (auto it = Registered().find(number); it != Registered().end()) return QString::fromStdString(it->second);
    const BuiltinFont* b = Builtin(number);
    if (!b) b = Builtin(applFont);
    *hint = b->hint;
    // The installed family chosen for each built-in number, found once.
    static std::map<SInt16, QString> chosen;
    if (auto it = chosen.find(b->number); it != chosen.end()) return it->second;
    const QStringList families = QFontDatabase::families();
    QString family;
    for (const char* c : b->candidates)
        if (c && families.contains(QString::fromLatin1(c))) {
            family = QString::fromLatin1(c);
            break;
        }
    chosen[b->number] = family;
    return family;
}

// ---- Text state ----------------------------------------------------------------

struct TextStyle {
    SInt16 font = 0;
    int pixelSize = 12;
    Style face = normal;
    int stretch = 100;  // horizontal scaling, percent
};

TextStyle PortStyle(CGrafPtr port, Point numer = {1, 1}, Point denom = {1, 1}) {
    TextStyle s;
    s.font = port->txFont;
    s.face = port->txFace;
    int size = port->txSize > 0 ? port->txSize : 12;
    if (numer.v > 0 && denom.v > 0 && numer.v != denom.v) size = std::max(1, size * numer.v / denom.v);
    s.pixelSize = std::clamp(size, 1, 1024);
    if (numer.h > 0 && denom.h > 0 && numer.v > 0 && denom.v > 0 && !(numer == denom)) {
        const double h = double(numer.h) / denom.h, v = double(numer.v) / denom.v;
        s.stretch = std::clamp(int(100.0 * h / v + 0.5), 1, 4000);
    }
    return s;
}

// Extra advance per character of the drawn styles, as the classic styles add.
int ExtraPerChar(Style face) {
    int extra = 0;
    if (face & shadow)
        extra += 2;
    else if (face & outline)
        extra += 1;
    if (face & condense) extra -= 1;
    if (face & extend) extra += 1;
    return extra;
}

QFont MakeFont(const TextStyle& s) {
    QFont::StyleHint hint;
    const QString family = FamilyFor(s.font, &hint);
    QFont f;
    if (!family.isEmpty()) f.setFamily(family);
    f.setStyleHint(hint, QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setPixelSize(s.pixelSize);
    f.setBold((s.face & bold) != 0);
    f.setItalic((s.face & italic) != 0);
    f.setUnderline((s.face & underline) != 0);
    f.setKerning(false);
    if (s.stretch != 100) f.setStretch(s.stretch);
    const int extra = ExtraPerChar(s.face);
    if (extra) f.setLetterSpacing(QFont::AbsoluteSpacing, extra);
    return f;
}

// Metrics without a font engine (command-line tools): a plain estimate.
int FallbackWidth(const TextStyle& s, int chars) { return chars * ((s.pixelSize * 3 + 4) / 5 + ExtraPerChar(s.face)); }

int Width(const TextStyle& s, const QString& text) {
    if (text.isEmpty()) return 0;
    if (!HaveFontEngine()) return FallbackWidth(s, int(text.size()));
    return QFontMetrics(MakeFont(s)).horizontalAdvance(text);
}

FontInfo Info(const TextStyle& s) {
    FontInfo info;
    if (!HaveFontEngine()) {
        info.ascent = SInt16((s.pixelSize * 3 + 2) / 4);
        info.descent = SInt16(s.pixelSize - info.ascent);
        info.widMax = SInt16(s.pixelSize);
        return info;
    }
    const QFontMetrics m(MakeFont(s));
    info.ascent = SInt16(m.ascent());
    info.descent = SInt16(m.descent());
    info.widMax = SInt16(m.maxWidth() + std::max(0, ExtraPerChar(s.face)));
    info.leading = SInt16(std::max(0, m.leading()));
    return info;
}

SInt16 ClampWidth(int w) { return SInt16(std::clamp(w, -32767, 32767)); }

// ---- Rendering -------------------------------------------------------------------

// A 1-bit coverage mask; (0, 0) of the mask lies at (originH, originV) in the
// port's local coordinates.
struct Mask {
    int width = 0, height = 0;
    int originH = 0, originV = 0;
    std::vector<UInt8> bits;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && bits[size_t(y) * width + x]; }
};

// 8-neighbour growth of the mask.
std::vector<UInt8> Dilate(const Mask& m) {
    std::vector<UInt8> out(m.bits.size(), 0);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            bool any = false;
            for (int dy = -1; dy <= 1 && !any; ++dy)
                for (int dx = -1; dx <= 1 && !any; ++dx) any = m.at(x + dx, y + dy);
            out[size_t(y) * m.width + x] = any;
        }
    return out;
}

// Outline: the ring around each glyph, hollow inside. Shadow: the outline and
// the same ring moved one pixel right and down.
void ApplyOutlineStyles(Mask& m, Style face) {
    if (!(face & (outline | shadow))) return;
    std::vector<UInt8> ring = Dilate(m);
    if (face & shadow) {
        std::vector<UInt8> shifted = ring;
        for (int y = m.height - 1; y >= 0; --y)
            for (int x = m.width - 1; x >= 0; --x) {
                const bool from = x > 0 && y > 0 && ring[size_t(y - 1) * m.width + (x - 1)];
                if (from) shifted[size_t(y) * m.width + x] = 1;
            }
        ring.swap(shifted);
    }
    for (size_t i = 0; i < ring.size(); ++i) ring[i] = ring[i] && !m.bits[i];
    m.bits.swap(ring);
}

// Renders only the part of the text that can reach `limit` (local
// coordinates), so the work follows the visible area, not the text's size.
Mask RenderMask(const TextStyle& s, const QString& text, Point pen, const FontInfo& info, int width,
                const Rect& limit) {
    Mask m;
    if (text.isEmpty() || !HaveFontEngine()) return m;
    const QFont font = MakeFont(s);
    const QFontMetrics metrics(font);
    // Room for italic overhang, underline and the outline and shadow rings.
    const int margin = s.pixelSize / 2 + 3;
    const QRect ink = metrics.boundingRect(text);
    // Extent relative to the pen, then cut to the limit grown by the two
    // pixels the outline and shadow rings reach.
    int left = std::min(0, ink.left()) - margin;
    int right = std::max(width, ink.right() + 1) + margin;
    int top = std::min(-int(info.ascent), ink.top()) - margin;
    int bottom = std::max(int(info.descent), ink.bottom() + 1) + margin;
    left = std::max(left, limit.left - 2 - pen.h);
    right = std::min(right, limit.right + 2 - pen.h);
    top = std::max(top, limit.top - 2 - pen.v);
    bottom = std::min(bottom, limit.bottom + 2 - pen.v);
    m.width = right - left;
    m.height = bottom - top;
    if (m.width <= 0 || m.height <= 0 || Size(m.width) * m.height > (Size(1) << 26)) return Mask{};
    QImage img(m.width, m.height, QImage::Format_Grayscale8);
    img.fill(0);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setPen(Qt::white);
        p.setFont(font);
        p.drawText(QPoint(-left, -top), text);
    }
    m.bits.assign(size_t(m.width) * m.height, 0);
    for (int y = 0; y < m.height; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < m.width; ++x) m.bits[size_t(y) * m.width + x] = row[x] >= 128;
    }
    m.originH = pen.h + left;
    m.originV = pen.v + top;
    ApplyOutlineStyles(m, s.face);
    return m;
}

void AddRuns(const Mask& m, bool value, const Rect* within, penraster::SpanList& out) {
    int y0 = 0, y1 = m.height, x0 = 0, x1 = m.width;
    if (within) {
        y0 = std::max(y0, within->top - m.originV);
        y1 = std::min(y1, within->bottom - m.originV);
        x0 = std::max(x0, within->left - m.originH);
        x1 = std::min(x1, within->right - m.originH);
    }
    for (int y = y0; y < y1; ++y) {
        const UInt8* row = m.bits.data() + size_t(y) * m.width;
        int x = x0;
        while (x < x1) {
            while (x < x1 && bool(row[x]) != value) ++x;
            const int start = x;
            while (x < x1 && bool(row[x]) == value) ++x;
            if (x > start) out.Add(m.originV + y, m.originH + start, m.originH + x);
        }
    }
}

penraster::Ink SolidInk(CGrafPtr port, SInt16 mode, const RGBColor& fore) {
    penraster::Ink ink;
    std::memset(ink.pat.pat, 0xFF, sizeof ink.pat.pat);
    ink.mode = mode;
    ink.fore = fore;
    ink.back = port->rgbBkColor;
    ink.op = port->rgbOpColor;
    return ink;
}

void PaintAction(CGrafPtr port, xfer::BitAction action, penraster::SpanList& spans) {
    if (action == xfer::BitAction::Keep || spans.Empty()) return;
    spans.Normalize();
    switch (action) {
    case xfer::BitAction::Fore: penraster::PaintSpans(port, spans, SolidInk(port, patCopy, port->rgbFgColor)); break;
    case xfer::BitAction::Back: penraster::PaintSpans(port, spans, SolidInk(port, patCopy, port->rgbBkColor)); break;
    default: penraster::PaintSpans(port, spans, SolidInk(port, patXor, port->rgbFgColor)); break;
    }
}

// Applies the mask in the port's text mode. Boolean modes act per bit as a
// 1-bit source does (srcCopy also paints the clear bits of the text's box in
// the background colour); the arithmetic modes and transparent paint the set
// bits with the foreground colour in that mode; others act as srcOr.
void ApplyMask(CGrafPtr port, const Mask& m, const Rect& box) {
    if (m.bits.empty()) return;
    SInt16 mode = port->txMode;
    if (mode >= 8 && mode <= 15) mode = SInt16(mode - 8);
    if (mode == blend || mode == addPin || mode == subPin || mode == transparent || mode == addOver ||
        mode == subOver || mode == addMax || mode == adMin) {
        penraster::SpanList set;
        AddRuns(m, true, nullptr, set);
        if (set.Empty()) return;
        set.Normalize();
        penraster::PaintSpans(port, set, SolidInk(port, mode, port->rgbFgColor));
        return;
    }
    if (mode < 0 || mode > 7) mode = srcOr;
    penraster::SpanList set, clear;
    AddRuns(m, true, nullptr, set);
    // The mask covers the box wherever the box lies inside the pixel map.
    AddRuns(m, false, &box, clear);
    PaintAction(port, xfer::OneBitAction(mode, true), set);
    PaintAction(port, xfer::OneBitAction(mode, false), clear);
}

void CallTextProc(SInt16 byteCount, const void* textBuf) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || byteCount <= 0 || !textBuf) return;
    const Point unit{1, 1};
    const CQDProcs* procs = port->grafProcs;
    if (procs && procs->textProc)
        procs->textProc(byteCount, textBuf, unit, unit);
    else
        StdText(byteCount, textBuf, unit, unit);
}

TextStyle CurrentStyle() {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port) return TextStyle{};
    return PortStyle(port);
}

}  // namespace

void TextFont(SInt16 font) {
    if (CGrafPtr port = GetQDGlobalsThePort()) port->txFont = font;
}
void TextSize(SInt16 size) {
    if (CGrafPtr port = GetQDGlobalsThePort()) port->txSize = size;
}
void TextFace(SInt16 face) {
    if (CGrafPtr port = GetQDGlobalsThePort()) port->txFace = Style(face & 0x7F);
}
void TextMode(SInt16 mode) {
    if (CGrafPtr port = GetQDGlobalsThePort()) port->txMode = mode;
}

void StdText(SInt16 byteCount, const void* textBuf, Point numer, Point denom) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || byteCount <= 0 || !textBuf) return;
    if (port->picSave) port->picSave->text(port, byteCount, textBuf, numer, denom);
    const TextStyle style = PortStyle(port, numer, denom);
    const QString text = Decode(textBuf, byteCount);
    const int width = Width(style, text);
    const Point pen = port->pnLoc;
    if (port->pnVis >= 0 && port->portPixMap && *port->portPixMap && (*port->portPixMap)->baseAddr) {
        const FontInfo info = Info(style);
        const Mask mask = RenderMask(style, text, pen, info, width, (*port->portPixMap)->bounds);
        const Rect box{SInt16(std::clamp(pen.v - info.ascent, -32767, 32767)), pen.h,
                       SInt16(std::clamp(pen.v + info.descent, -32767, 32767)),
                       SInt16(std::clamp(pen.h + width, -32767, 32767))};
        ApplyMask(port, mask, box);
    }
    port->pnLoc.h = SInt16(std::clamp(pen.h + width, -32768, 32767));
}

void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
    if (!textBuf || firstByte < 0 || byteCount <= 0) return;
    CallTextProc(byteCount, static_cast<const UInt8*>(textBuf) + firstByte);
}

void DrawString(ConstStr255Param s) {
    if (s && s[0]) CallTextProc(s[0], s + 1);
}

void DrawChar(SInt16 ch) {
    const UInt8 c = UInt8(ch);
    CallTextProc(1, &c);
}

SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
    if (!textBuf || firstByte < 0 || byteCount <= 0) return 0;
    return ClampWidth(Width(CurrentStyle(), Decode(static_cast<const UInt8*>(textBuf) + firstByte, byteCount)));
}

SInt16 StringWidth(ConstStr255Param s) { return s ? TextWidth(s + 1, 0, s[0]) : 0; }

SInt16 CharWidth(SInt16 ch) {
    const UInt8 c = UInt8(ch);
    return TextWidth(&c, 0, 1);
}

void GetFontInfo(FontInfo* info) {
    if (info) *info = Info(CurrentStyle());
}

void GetFNum(ConstStr255Param name, SInt16* familyID) {
    if (!familyID) return;
    *familyID = 0;
    if (!name || !name[0]) return;
    const std::string wanted(reinterpret_cast<const char*>(name + 1), name[0]);
    for (const auto& b : kBuiltins)
        if (SameName(wanted, b.name)) {
            *familyID = b.number;
            return;
        }
    for (const auto& [number, family] : Registered())
        if (SameName(wanted, family)) {
            *familyID = number;
            return;
        }
    if (!HaveFontEngine()) return;
    for (const QString& family : QFontDatabase::families()) {
        const std::string f = family.toStdString();
        if (!SameName(wanted, f)) continue;
        const SInt16 number = SInt16(kFirstRegisteredFont + SInt16(Registered().size()));
        Registered()[number] = f;
        *familyID = number;
        return;
    }
}

void GetFontName(SInt16 familyID, Str255 name) {
    if (!name) return;
    name[0] = 0;
    std::string n;
    if (const BuiltinFont* b = Builtin(familyID))
        n = b->name;
    else if (auto it = Registered().find(familyID); it != Registered().end())
        n = it->second;
    const size_t len = std::min<size_t>(n.size(), 255);
    std::memcpy(name + 1, n.data(), len);
    name[0] = UInt8(len);
}

std::vector<std::string> FontFamilyNames() {
    std::vector<std::string> names;
    if (!HaveFontEngine()) return names;
    for (const QString& family : QFontDatabase::families()) names.push_back(family.toStdString());
    return names;
}

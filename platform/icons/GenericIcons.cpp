// The generic document, application and folder icons, drawn here at 16, 32
// and 128 pixels and stored as every member kind of a family.
#include "platform/icons/GenericIcons.h"

#include "platform/core/Memory.h"
#include "platform/icons/IconFamily.h"
#include "platform/raster/ColorTables.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <memory>

struct OpaqueIconRef {
    std::vector<UInt8> family;
};

namespace {

// Opaque enough to count in a 1-bit mask, and dark enough to be black in a
// 1-bit image.
constexpr int kMaskThreshold = 128;
constexpr int kDarkThreshold = 110;

QPolygonF Polygon(std::initializer_list<QPointF> points) { return QPolygonF(QList<QPointF>(points)); }

// The artwork on a 128-unit square, drawn at `edge` pixels.
QImage DrawGenericIcon(OSType iconType, int edge) {
    QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, edge > 16);
    p.scale(edge / 128.0, edge / 128.0);
    // An outline at least one pixel wide at every size.
    const qreal outline = std::max(4.0, 128.0 / edge);
    const QColor ink(32, 32, 40);
    p.setPen(QPen(ink, outline, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    switch (iconType) {
    case kGenericDocumentIcon:
        p.setBrush(QColor(255, 255, 255));
        p.drawPolygon(Polygon({{22, 6}, {84, 6}, {106, 28}, {106, 122}, {22, 122}}));
        p.setBrush(QColor(200, 204, 214));
        p.drawPolygon(Polygon({{84, 6}, {84, 28}, {106, 28}}));
        if (edge > 16) {
            p.setPen(QPen(QColor(96, 110, 150), outline * 0.75));
            for (int y = 46; y <= 106; y += 12) p.drawLine(QPointF(36, y), QPointF(y == 106 ? 70 : 92, y));
        }
        break;
    case kGenericApplicationIcon:
        p.setBrush(QColor(72, 112, 196));
        p.drawPolygon(Polygon({{64, 4}, {124, 64}, {64, 124}, {4, 64}}));
        p.setBrush(QColor(240, 240, 236));
        p.drawPolygon(Polygon({{64, 30}, {98, 64}, {64, 98}, {30, 64}}));
        p.setBrush(QColor(232, 176, 48));
        p.drawEllipse(QPointF(64, 64), 12, 12);
        break;
    case kGenericFolderIcon:
        p.setBrush(QColor(96, 150, 212));
        p.drawPolygon(Polygon({{6, 18}, {48, 18}, {60, 32}, {122, 32}, {122, 112}, {6, 112}}));
        p.setBrush(QColor(140, 190, 240));
        p.drawRect(QRectF(6, 44, 116, 68));
        break;
    default: break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

struct Sized {
    int edge;
    OSType pixels, mask, bits, indexed8, indexed4;
};
constexpr Sized kSizes[] = {
    {16, FourCC("is32"), FourCC("s8mk"), FourCC("ics#"), FourCC("ics8"), FourCC("ics4")},
    {32, FourCC("il32"), FourCC("l8mk"), FourCC("ICN#"), FourCC("icl8"), FourCC("icl4")},
    {128, FourCC("it32"), FourCC("t8mk"), 0, 0, 0},
};

RGBColor OverWhite(QRgb c) {
    const int a = qAlpha(c);
    auto channel = [a](int v) { return UInt16((v * a + 255 * (255 - a)) / 255 * 257); };
    return {channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c))};
}

// Every member of one size; the indexed ones take the nearest colour of the
// standard table, transparent pixels white.
[[nodiscard]] OSErr AddMembers(const QImage& image, const Sized& size, IconFamilyHandle family) {
    const int edge = size.edge;
    const size_t pixelsCount = size_t(edge) * edge;
    std::vector<UInt8> pixels(pixelsCount * 4, 0), mask(pixelsCount, 0), bits(pixelsCount / 4, 0),
        indexed8(pixelsCount, 0), indexed4(pixelsCount / 2, 0);
    CTabHandle table8 = StandardCTable(8), table4 = StandardCTable(4);
    const size_t rowBytes1 = size_t(edge) / 8;
    for (int y = 0; y < edge; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < edge; ++x) {
            const size_t i = size_t(y) * edge + size_t(x);
            const QRgb c = row[x];
            // Clear pixels are white, as where a member is shown without its mask.
            const bool clear = qAlpha(c) == 0;
            pixels[i * 4 + 1] = clear ? 0xFF : UInt8(qRed(c));
            pixels[i * 4 + 2] = clear ? 0xFF : UInt8(qGreen(c));
            pixels[i * 4 + 3] = clear ? 0xFF : UInt8(qBlue(c));
            mask[i] = UInt8(qAlpha(c));
            if (size.bits == 0 || qAlpha(c) < kMaskThreshold) continue;
            const RGBColor rgb = OverWhite(c);
            const UInt8 bit = UInt8(0x80 >> (x % 8));
            bits[rowBytes1 * edge + size_t(y) * rowBytes1 + size_t(x) / 8] |= bit;
            if (qGray(c) < kDarkThreshold) bits[size_t(y) * rowBytes1 + size_t(x) / 8] |= bit;
            indexed8[i] = UInt8(NearestColorIndex(table8, rgb));
            indexed4[i / 2] |= UInt8(NearestColorIndex(table4, rgb) << (x % 2 ? 0 : 4));
        }
    }
    const std::pair<OSType, const std::vector<UInt8>*> members[] = {
        {size.bits, &bits}, {size.indexed8, &indexed8}, {size.indexed4, &indexed4},
        {size.pixels, &pixels}, {size.mask, &mask}};
    for (const auto& member : members) {
        if (member.first == 0) continue;
        UniqueHandle h(NewHandleFromBytes(*member.second));
        if (!h) return memFullErr;
        if (OSErr err = SetIconFamilyData(family, member.first, h.get()); err != noErr) return err;
    }
    return noErr;
}

}  // namespace

OSErr GenericIconFamily(OSType iconType, std::vector<UInt8>* family) {
    if (!family) return paramErr;
    family->clear();
    if (iconType != kGenericDocumentIcon && iconType != kGenericApplicationIcon && iconType != kGenericFolderIcon)
        return noSuchIconErr;
    IconFamilyHandle raw = nullptr;
    if (OSErr err = NewIconFamily(&raw); err != noErr) return err;
    UniqueHandle built(raw);
    for (const Sized& size : kSizes)
        if (OSErr err = AddMembers(DrawGenericIcon(iconType, size.edge), size, raw); err != noErr) return err;
    const auto bytes = HandleBytes(built.get());
    family->assign(bytes.begin(), bytes.end());
    return noErr;
}

OSErr GetIconRef(SInt16 /*vRefNum*/, OSType creator, OSType iconType, IconRef* theIconRef) {
    if (!theIconRef) return paramErr;
    *theIconRef = nullptr;
    if (creator != kSystemIconsCreator) return noSuchIconErr;
    auto ref = std::make_unique<OpaqueIconRef>();
    if (OSErr err = GenericIconFamily(iconType, &ref->family); err != noErr) return err;
    *theIconRef = ref.release();
    return noErr;
}

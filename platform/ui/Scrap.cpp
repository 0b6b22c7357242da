#include "platform/ui/Scrap.h"

#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/ui/ScrapInternal.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr OSType kPictFlavor = FourCC("PICT");
// The recorder's pixel maps hold at most 0x3FFF bytes a row: 4095 pixels of
// 32 bits. Wider images are recorded in strips of this width.
constexpr int kPictureStripWidth = 4000;

bool WithinLimits(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxScrapPictureEdge &&
           size.height() <= kMaxScrapPictureEdge && Size(size.width()) * size.height() <= kMaxScrapPicturePixels;
}

// Another program's picture comes encoded (PNG, BMP, ...): its size is read
// from the header before anything is decoded.
OSErr DecodeFlavor(const QByteArray& bytes, QImage* image) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    if (!reader.canRead()) return noTypeErr;
    const QSize size = reader.size();
    if (size.isValid() && !WithinLimits(size)) return memFullErr;
    if (!reader.read(image) || image->isNull()) return noTypeErr;
    return WithinLimits(image->size()) ? OSErr(noErr) : OSErr(memFullErr);
}

// The first image on the clipboard that can be read, from an encoded image
// flavour or an image held as such.
OSErr ClipboardImage(const QMimeData* data, QImage* image) {
    if (!data) return noTypeErr;
    OSErr err = noTypeErr;
    for (const QString& flavor : data->formats()) {
        if (!flavor.startsWith(QLatin1String("image/"))) continue;
        err = DecodeFlavor(data->data(flavor), image);
        if (err != noTypeErr) return err;
    }
    if (data->hasImage()) {
        *image = qvariant_cast<QImage>(data->imageData());
        if (!image->isNull()) return WithinLimits(image->size()) ? OSErr(noErr) : OSErr(memFullErr);
    }
    return noTypeErr;
}

const QMimeData* ClipboardData() {
    const QClipboard* board = QGuiApplication::clipboard();
    return board ? board->mimeData() : nullptr;
}

// The pixels of an image with alpha that are at least half opaque, as a
// region; none for an image without alpha or when the region cannot be made.
OSErr OpaqueRegion(const QImage& source, const Rect& bounds, UniqueRgn* region) {
    if (!source.hasAlphaChannel()) return noErr;
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    UniqueGWorld bits;
    if (const OSErr err = NewGWorld(bits.out(), 1, &bounds, nullptr, nullptr, 0); err != noErr) return err;
    if (!bits) return memFullErr;
    PixMapHandle pm = GetGWorldPixMap(bits.get());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        UInt8* out = PixRow(**pm, y);
        std::fill(out, out + (argb.width() + 7) / 8, UInt8(0));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(in[x]) >= 128) out[x >> 3] = UInt8(out[x >> 3] | (0x80 >> (x & 7)));
    }
    UniqueRgn opaque;
    if (const OSErr err = BitMapToRegion(opaque, GetPortBitMapForCopyBits(bits.get())); err != noErr) return err;
    *region = std::move(opaque);
    return noErr;
}

// A picture (frame (0, 0, height, width)) of the image's pixels, recorded
// from a 32-bit buffer; an image with alpha is recorded through the region
// of its opaque pixels, which a paste takes as the mask.
OSErr ImageToPicture(const QImage& source, std::vector<UInt8>* bytes) {
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    const Rect bounds{0, 0, SInt16(rgb.height()), SInt16(rgb.width())};
    UniqueRgn opaque{RgnHandle(nullptr)};
    if (OpaqueRegion(source, bounds, &opaque) != noErr) opaque = UniqueRgn{RgnHandle(nullptr)};  // all opaque then
    UniqueGWorld world;
    if (const OSErr err = NewGWorld(world.out(), 32, &bounds, nullptr, nullptr, 0); err != noErr) return err;
    if (!world) return memFullErr;
    PixMapHandle pm = GetGWorldPixMap(world.get());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        UInt8* out = PixRow(**pm, y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[4 * x] = 0;
            out[4 * x + 1] = UInt8(qRed(in[x]));
            out[4 * x + 2] = UInt8(qGreen(in[x]));
            out[4 * x + 3] = UInt8(qBlue(in[x]));
        }
    }
    SavedGWorld saved;
    SetGWorld(world.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = bounds;
    PicHandle picture = OpenCPicture(&params);
    if (!picture) return memFullErr;
    UniqueHandle owned(picture);
    ClipRect(&bounds);
    const BitMap* bits = GetPortBitMapForCopyBits(world.get());
    for (int left = 0; left < rgb.width(); left += kPictureStripWidth) {
        const Rect strip{0, SInt16(left), bounds.bottom, SInt16(std::min(left + kPictureStripWidth, rgb.width()))};
        CopyBits(bits, bits, &strip, &strip, srcCopy, opaque.get());
    }
    ClosePicture();
    if (const OSErr err = QDError(); err != noErr) return err;
    const std::span<UInt8> made = HandleBytes(picture);
    bytes->assign(made.begin(), made.end());
    return noErr;
}

// The picture drawn over white and encoded as PNG; empty when it cannot be
// drawn or is larger than a clipboard picture may be.
QByteArray PictureToPng(std::span<const UInt8> bytes) {
    UniqueHandle picture(NewHandleFromBytes(bytes));
    if (!picture) return {};
    Rect frame{};
    QDGetPictureBounds(picture.get(), &frame);
    const int width = RectWidth(frame), height = RectHeight(frame);
    if (!WithinLimits(QSize(width, height))) return {};
    const Rect bounds{0, 0, SInt16(height), SInt16(width)};
    UniqueGWorld world;
    if (NewGWorld(world.out(), 32, &bounds, nullptr, nullptr, 0) != noErr || !world) return {};
    {
        SavedGWorld saved;
        SetGWorld(world.get(), nullptr);
        EraseRect(&bounds);
        if (DrawPictureChecked(picture.get(), &bounds) != noErr) return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    PixMapHandle pm = GetGWorldPixMap(world.get());
    for (int y = 0; y < height; ++y) {
        const UInt8* in = PixRow(**pm, y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) out[x] = qRgb(in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return png;
}

// A picture made from another program's image is made once per clipboard
// content: asking for the size and then the data converts it only once.
struct ConvertedPicture {
    bool watching = false;  // dataChanged is connected: a kept result is current
    bool valid = false;
    OSErr err = noTypeErr;
    std::vector<UInt8> bytes;
};

void (*gScrapChangedProc)() = nullptr;

ConvertedPicture& Converted() {
    static ConvertedPicture converted;
    if (!converted.watching) {
        if (QClipboard* board = QGuiApplication::clipboard()) {
            QObject::connect(board, &QClipboard::dataChanged, [] {
                Converted().valid = false;
                if (gScrapChangedProc) gScrapChangedProc();
            });
            converted.watching = true;
        }
    }
    return converted;
}

// The bytes of a flavour from the clipboard's data; the picture of an image
// when 'PICT' is asked for and only an image is there.
OSErr ReadFlavor(OSType flavorType, std::vector<UInt8>* bytes) {
    const QMimeData* data = ClipboardData();
    if (!data) return noTypeErr;
    const QString mime = QString::fromStdString(ScrapFlavorMimeType(flavorType));
    if (data->hasFormat(mime)) {
        const QByteArray held = data->data(mime);
        if (held.isEmpty()) return noTypeErr;
        if (Size(held.size()) > kMaxScrapFlavorSize) return memFullErr;
        if (bytes) bytes->assign(held.begin(), held.end());
        return noErr;
    }
    if (flavorType != kPictFlavor) return noTypeErr;
    ConvertedPicture& converted = Converted();
    if (!converted.valid) {
        QImage image;
        converted.err = ClipboardImage(data, &image);
        converted.bytes.clear();
        if (converted.err == noErr) converted.err = ImageToPicture(image, &converted.bytes);
        if (converted.err == noErr && Size(converted.bytes.size()) > kMaxScrapFlavorSize) {
            converted.bytes.clear();
            converted.err = memFullErr;
        }
        converted.valid = converted.watching;
    }
    if (converted.err != noErr) return converted.err;
    if (bytes) *bytes = converted.bytes;
    return noErr;
}

}  // namespace

void SetScrapChangedProc(void (*proc)()) {
    gScrapChangedProc = proc;
    (void)Converted();  // starts watching the clipboard
}

std::string ScrapFlavorMimeType(OSType flavorType) {
    std::string mime = "application/x-korvel-";
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>(flavorType >> shift);
        if (std::isalnum(c) && c < 0x80) {
            mime += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            mime += escaped;
        }
    }
    return mime;
}

OSErr ClearCurrentScrap() {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board) return memFullErr;
    board->setMimeData(new QMimeData);  // the clipboard takes it
    return noErr;
}

namespace {

// Puts one flavour; a 'PICT' flavour is also offered as `png`, or as the
// picture drawn over white when none is given.
OSErr PutFlavor(OSType flavorType, std::span<const UInt8> data, const QByteArray* png) {
    if (data.empty() || Size(data.size()) > kMaxScrapFlavorSize) return paramErr;
    QClipboard* board = QGuiApplication::clipboard();
    if (!board) return memFullErr;
    // The clipboard's data cannot be changed in place: a new set of flavours
    // takes what is there, then the new one.
    auto* next = new QMimeData;
    const QString mime = QString::fromStdString(ScrapFlavorMimeType(flavorType));
    if (const QMimeData* now = board->mimeData()) {
        for (const QString& format : now->formats()) {
            if (format == mime) continue;
            if (flavorType == kPictFlavor && format == QLatin1String("image/png")) continue;
            next->setData(format, now->data(format));
        }
    }
    next->setData(mime, QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
    if (flavorType == kPictFlavor) {
        const QByteArray image = png ? *png : PictureToPng(data);
        if (!image.isEmpty()) next->setData(QStringLiteral("image/png"), image);
    }
    board->setMimeData(next);
    return noErr;
}

}  // namespace

OSErr PutScrapFlavor(OSType flavorType, std::span<const UInt8> data) { return PutFlavor(flavorType, data, nullptr); }

OSErr PutScrapPictureWithPng(std::span<const UInt8> picture, std::span<const UInt8> png) {
    if (png.empty() || Size(png.size()) > kMaxScrapFlavorSize) return paramErr;
    const QByteArray image(reinterpret_cast<const char*>(png.data()), qsizetype(png.size()));
    return PutFlavor(kPictFlavor, picture, &image);
}

OSErr GetScrapFlavorSize(OSType flavorType, Size* byteCount) {
    if (!byteCount) return paramErr;
    *byteCount = 0;
    const QMimeData* data = ClipboardData();
    const QString mime = QString::fromStdString(ScrapFlavorMimeType(flavorType));
    if (data && data->hasFormat(mime)) {
        const Size size = Size(data->data(mime).size());
        if (size == 0) return noTypeErr;
        if (size > kMaxScrapFlavorSize) return memFullErr;
        *byteCount = size;
        return noErr;
    }
    std::vector<UInt8> bytes;
    const OSErr err = ReadFlavor(flavorType, &bytes);
    if (err == noErr) *byteCount = Size(bytes.size());
    return err;
}

OSErr GetScrapFlavorData(OSType flavorType, std::vector<UInt8>* data) {
    if (!data) return paramErr;
    data->clear();
    return ReadFlavor(flavorType, data);
}

OSErr GetScrapPicture(ScrapPicture* picture) {
    if (!picture) return paramErr;
    *picture = ScrapPicture{};
    QImage image;
    if (const OSErr err = ClipboardImage(ClipboardData(), &image); err != noErr) return err;

    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    picture->width = SInt16(rgb.width());
    picture->height = SInt16(rgb.height());
    picture->pixels.reserve(size_t(rgb.width()) * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) picture->pixels.push_back(UInt32(row[x]) & 0xFFFFFF);
    }
    return noErr;
}

namespace ui_internal {

OSErr EncodedImageToPicture(const QByteArray& encoded, std::vector<UInt8>* picture) {
    QImage image;
    if (const OSErr err = DecodeFlavor(encoded, &image); err != noErr) return err;
    if (const OSErr err = ImageToPicture(image, picture); err != noErr) return err;
    return Size(picture->size()) > kMaxScrapFlavorSize ? OSErr(memFullErr) : OSErr(noErr);
}

QByteArray PictureAsPng(std::span<const UInt8> picture) { return PictureToPng(picture); }

}  // namespace ui_internal

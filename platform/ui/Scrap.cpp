#include "platform/ui/Scrap.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>

namespace {

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

}  // namespace

OSErr GetScrapPicture(ScrapPicture* picture) {
    if (!picture) return paramErr;
    *picture = ScrapPicture{};
    const QClipboard* board = QGuiApplication::clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data) return noTypeErr;
    QImage image;
    OSErr err = noTypeErr;
    for (const QString& flavor : data->formats()) {
        if (!flavor.startsWith(QLatin1String("image/"))) continue;
        err = DecodeFlavor(data->data(flavor), &image);
        if (err != noTypeErr) break;
    }
    // A picture this program put there is held as an image already.
    if (err == noTypeErr && data->hasImage()) {
        image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) err = WithinLimits(image.size()) ? OSErr(noErr) : OSErr(memFullErr);
    }
    if (err != noErr) return err;

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

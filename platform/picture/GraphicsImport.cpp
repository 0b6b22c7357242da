#include "platform/picture/GraphicsImport.h"

#include "platform/files/FileIO.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <optional>

struct GraphicsImporter {
    QByteArray data;
    QByteArray format;          // the reader's name for the format
    ImageDescription desc;
    std::optional<QSize> naturalSize;
    Rect bounds{};              // where to draw; empty: the natural bounds
    GWorldPtr port = nullptr;
    GWorldPtr mask = nullptr;
    std::string error;
};

namespace {

// Readers that cannot tell their size first are stopped by Qt above this;
// it leaves room for the widest pixels (16-bit RGBA) of the largest image.
constexpr int kAllocationLimitMB = int((kMaxImportPixels * 8) >> 20) + 64;

OSType FourCharsOf(const QByteArray& name) {
    UInt8 c[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; i < 4 && i < name.size(); ++i) c[i] = UInt8(name[i]);
    return (OSType(c[0]) << 24) | (OSType(c[1]) << 16) | (OSType(c[2]) << 8) | c[3];
}

bool WithinCaps(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImportEdge &&
           size.height() <= kMaxImportEdge && Size(size.width()) * size.height() <= kMaxImportPixels;
}

std::string CapsReason(QSize size) {
    return "the picture is " + std::to_string(size.width()) + " × " + std::to_string(size.height()) +
           " pixels, larger than Korvel opens (at most " + std::to_string(kMaxImportEdge) + " pixels a side and " +
           std::to_string(kMaxImportPixels >> 20) + " million pixels)";
}

// A JPEG whose data stops before its end-of-image marker is truncated; the
// JPEG library would fill the missing rows with grey and call it read. The
// marker is looked for after the first start of scan, past the headers that
// may hold a thumbnail with its own end marker.
bool JpegIsComplete(const QByteArray& data) {
    const auto* p = reinterpret_cast<const UInt8*>(data.constData());
    const size_t n = size_t(data.size());
    size_t i = 2;  // after the start-of-image marker
    while (i + 4 <= n) {
        if (p[i] != 0xFF) return false;
        const UInt8 marker = p[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        const size_t length = (size_t(p[i + 2]) << 8) | p[i + 3];
        if (length < 2 || length > n - i - 2) return false;
        i += 2 + length;
        if (marker == 0xDA) break;  // start of scan: entropy-coded data follows
    }
    for (; i + 1 < n; ++i)
        if (p[i] == 0xFF && p[i + 1] == 0xD9) return true;
    return false;
}

void EnsureAllocationLimit() {
    static const bool set = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMB);
        return true;
    }();
    (void)set;
}

OSErr Fail(GraphicsImporter* ci, OSErr err, std::string why) {
    ci->error = std::move(why);
    return err;
}

// The image's size as its reader tells it, or decoded to find it out.
OSErr FindNaturalSize(GraphicsImporter* ci) {
    if (ci->naturalSize) return noErr;
    QBuffer buffer(&ci->data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, ci->format);
    QSize size = reader.size();
    if (!size.isValid()) {
        const QImage image = reader.read();
        if (image.isNull()) return Fail(ci, codecErr, "the picture cannot be read: " + reader.errorString().toStdString());
        size = image.size();
    }
    if (!WithinCaps(size)) return Fail(ci, memFullErr, CapsReason(size));
    ci->naturalSize = size;
    return noErr;
}

void WriteMask(const QImage& image, GWorldPtr mask, const Rect& bounds) {
    const PixMap& pm = **GetGWorldPixMap(mask);
    if (pm.pixelSize != 1) return;
    for (int v = std::max<int>(bounds.top, pm.bounds.top); v < std::min<int>(bounds.bottom, pm.bounds.bottom); ++v) {
        UInt8* row = PixRow(pm, v);
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(v - bounds.top));
        for (int h = std::max<int>(bounds.left, pm.bounds.left); h < std::min<int>(bounds.right, pm.bounds.right); ++h) {
            const int x = h - pm.bounds.left;
            const UInt8 bit = UInt8(0x80 >> (x & 7));
            if (qAlpha(src[h - bounds.left]) >= 128) row[x >> 3] |= bit;
            else row[x >> 3] &= UInt8(~bit);
        }
    }
}

}  // namespace

OSErr GetGraphicsImporterForData(std::span<const UInt8> bytes, const std::string& nameHint,
                                 GraphicsImportComponent* ci) {
    if (!ci) return paramErr;
    *ci = nullptr;
    EnsureAllocationLimit();
    auto importer = std::make_unique<GraphicsImporter>();
    importer->data = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&importer->data);
    buffer.open(QIODevice::ReadOnly);
    QByteArray format = QImageReader::imageFormat(&buffer);
    if (format.isEmpty()) {
        const auto dot = nameHint.rfind('.');
        const QByteArray suffix = dot == std::string::npos ? QByteArray() : QByteArray(nameHint.c_str() + dot + 1).toLower();
        if (!suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix)) format = suffix;
    }
    if (format.isEmpty()) return cantFindHandler;
    buffer.seek(0);
    QImageReader reader(&buffer, format);
    if (!reader.canRead()) return cantFindHandler;
    importer->format = format;
    // Taken as a number: some readers report values outside the enumeration
    // (garbage from a header they could not parse), and Qt has no pixel
    // format for Format_Invalid (asking for it crashes).
    const int reported = static_cast<int>(reader.imageFormat());
    const bool known = reported > int(QImage::Format_Invalid) && reported < int(QImage::NImageFormats);
    const QImage::Format pixels = known ? static_cast<QImage::Format>(reported) : QImage::Format_Invalid;
    const QPixelFormat pf = known ? QImage::toPixelFormat(pixels) : QPixelFormat();
    importer->desc.isVector = format == "svg" || format == "svgz";
    importer->desc.hasAlpha = known && pf.alphaUsage() == QPixelFormat::UsesAlpha;
    importer->desc.depth = known ? SInt16(std::min(32, int(pf.bitsPerPixel()))) : 32;
    if (pixels == QImage::Format_Indexed8 || pixels == QImage::Format_Grayscale8) importer->desc.depth = 8;
    if (importer->desc.depth > 8 && !importer->desc.hasAlpha) importer->desc.depth = 24;
    importer->desc.format = FourCharsOf(format);
    if (importer->desc.isVector) {
        const QSize size = reader.size();
        if (size.isValid() && !size.isEmpty()) importer->naturalSize = size.boundedTo(QSize(kMaxImportEdge, kMaxImportEdge));
    }
    *ci = importer.release();
    return noErr;
}

OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* ci) {
    if (!file || !ci) return paramErr;
    *ci = nullptr;
    std::vector<UInt8> bytes;
    if (const OSErr err = ReadWholeFile(FSSpecToPath(file), &bytes); err != noErr) return err;
    const std::string name(reinterpret_cast<const char*>(file->name + 1), file->name[0]);
    return GetGraphicsImporterForData(bytes, name, ci);
}

OSErr CloseComponent(GraphicsImportComponent ci) {
    delete ci;
    return noErr;
}

OSErr GraphicsImportGetImageDescription(GraphicsImportComponent ci, ImageDescription* desc) {
    if (!ci || !desc) return paramErr;
    *desc = ci->desc;
    return noErr;
}

OSErr GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds) {
    if (!ci || !naturalBounds) return paramErr;
    if (ci->desc.isVector && !ci->naturalSize) return Fail(ci, codecErr, "the drawing does not give its size");
    if (const OSErr err = FindNaturalSize(ci); err != noErr) return err;
    *naturalBounds = Rect{0, 0, SInt16(ci->naturalSize->height()), SInt16(ci->naturalSize->width())};
    return noErr;
}

OSErr GraphicsImportSetBoundsRect(GraphicsImportComponent ci, const Rect* bounds) {
    if (!ci || !bounds) return paramErr;
    const QSize size(bounds->right - bounds->left, bounds->bottom - bounds->top);
    if (!WithinCaps(size)) return Fail(ci, memFullErr, CapsReason(size));
    ci->bounds = *bounds;
    return noErr;
}

OSErr GraphicsImportSetGWorld(GraphicsImportComponent ci, GWorldPtr port) {
    if (!ci) return paramErr;
    ci->port = port;
    return noErr;
}

OSErr GraphicsImportSetMaskGWorld(GraphicsImportComponent ci, GWorldPtr mask) {
    if (!ci) return paramErr;
    ci->mask = mask;
    return noErr;
}

OSErr GraphicsImportDraw(GraphicsImportComponent ci) {
    if (!ci || !ci->port) return paramErr;
    ci->error.clear();
    if (ci->format == "jpeg" && !JpegIsComplete(ci->data))
        return Fail(ci, codecErr, "the JPEG data ends before the picture does (the file is truncated)");
    Rect bounds = ci->bounds;
    if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
        if (const OSErr err = GraphicsImportGetNaturalBounds(ci, &bounds); err != noErr) return err;
    }
    const QSize target(bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (!WithinCaps(target)) return Fail(ci, memFullErr, CapsReason(target));

    QBuffer buffer(&ci->data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, ci->format);
    const QSize stated = reader.size();
    if (stated.isValid() && !ci->desc.isVector && !WithinCaps(stated)) return Fail(ci, memFullErr, CapsReason(stated));
    if (ci->desc.isVector) reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull()) return Fail(ci, codecErr, "the picture cannot be read: " + reader.errorString().toStdString());
    if (!WithinCaps(image.size())) return Fail(ci, memFullErr, CapsReason(image.size()));
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.size() != target) image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (image.isNull()) return Fail(ci, memFullErr, "there is not enough memory for the picture");

    // Drawn over white through a 32-bit world, so that CopyBits maps the
    // colours to the destination's depth and table.
    GWorldPtr raw = nullptr;
    if (NewGWorld(&raw, 32, &bounds, nullptr, nullptr, 0) != noErr || !raw)
        return Fail(ci, memFullErr, "there is not enough memory for the picture");
    UniqueGWorld world(raw);
    const PixMap& pm = **GetGWorldPixMap(world.get());
    for (int y = 0; y < target.height(); ++y) {
        UInt8* row = PixRow(pm, bounds.top + y);
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const QRgb c = src[x];
            const unsigned a = unsigned(qAlpha(c));
            auto over = [a](int channel) { return UInt8((unsigned(channel) * a + 255u * (255u - a) + 127u) / 255u); };
            row[4 * x] = 0;
            row[4 * x + 1] = over(qRed(c));
            row[4 * x + 2] = over(qGreen(c));
            row[4 * x + 3] = over(qBlue(c));
        }
    }
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(ci->port, nullptr);
    ForeColor(blackColor);
    BackColor(whiteColor);
    CopyBits(GetPortBitMapForCopyBits(world.get()), GetPortBitMapForCopyBits(ci->port), &bounds, &bounds, srcCopy,
             nullptr);
    SetGWorld(savedPort, savedDevice);
    if (ci->mask) WriteMask(image, ci->mask, bounds);
    return noErr;
}

std::string GraphicsImportGetError(GraphicsImportComponent ci) { return ci ? ci->error : std::string(); }

Boolean IsImportableSuffix(const std::string& suffix) {
    if (suffix.size() < 2 || suffix[0] != '.') return false;
    QByteArray name = QByteArray::fromStdString(suffix.substr(1)).toLower();
    if (name == "jpg" || name == "tif") return true;
    return QImageReader::supportedImageFormats().contains(name);
}

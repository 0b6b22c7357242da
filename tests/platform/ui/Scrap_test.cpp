// The clipboard's picture: exact pixels from another program's encoded
// flavour, and hostile sizes refused from the header before any decoding.
#include "platform/ui/Scrap.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

void PutFlavor(const char* type, const QByteArray& bytes) {
    auto* data = new QMimeData;  // the clipboard takes it
    data->setData(QString::fromLatin1(type), bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

// A PNG chunk: length, type and data, and the CRC of type and data.
QByteArray Chunk(const char* type, const QByteArray& data) {
    auto u32 = [](quint32 v) {
        QByteArray b;
        for (int shift = 24; shift >= 0; shift -= 8) b.append(char(v >> shift));
        return b;
    };
    const QByteArray body = QByteArray(type) + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return u32(quint32(data.size())) + body + u32(quint32(crc));
}

// A PNG whose header claims a size its (empty) data does not hold: what a
// reader learns before decoding anything.
QByteArray PngClaiming(quint32 width, quint32 height) {
    QByteArray header;
    for (quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header.append(char(v >> shift));
    header.append("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", {}) + Chunk("IEND", {});
}

TEST(Scrap, EncodedPictureGivesItsPixels) {
    QImage image(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgba(10 * x, 100 + y, 7, 255));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    PutFlavor("image/png", png);
    ScrapPicture picture;
    ASSERT_EQ(GetScrapPicture(&picture), noErr);
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels,
              (std::vector<UInt32>{0x006407, 0x0A6407, 0x146407, 0x006507, 0x0A6507, 0x146507}));
    QGuiApplication::clipboard()->clear();
}

TEST(Scrap, HostileOrMissingPicturesAreRefused) {
    const struct {
        QByteArray bytes;
        OSErr want;
    } cases[] = {
        {PngClaiming(40000, 1), memFullErr},      // past 32767 per side
        {PngClaiming(1, 40000), memFullErr},
        {PngClaiming(9000, 9000), memFullErr},    // 81 million pixels
        {QByteArray("not a picture"), noTypeErr},
    };
    for (const auto& c : cases) {
        PutFlavor("image/png", c.bytes);
        ScrapPicture picture;
        EXPECT_EQ(GetScrapPicture(&picture), c.want);
        EXPECT_TRUE(picture.pixels.empty());
    }
    QGuiApplication::clipboard()->clear();
    ScrapPicture picture;
    EXPECT_EQ(GetScrapPicture(&picture), noTypeErr);
}

}  // namespace

#include "io/MemberPng.h"

#include "platform/codecs/PngCodec.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/core/Memory.h"

namespace {

// A picture of the 32-bit world's pixels, recorded as one copy of them.
PicHandle PictureOfWorld(GWorldPtr world, const Rect& frame) {
    SavedGWorld saved;
    SetGWorld(world, nullptr);
    OpenCPicParams params{};
    params.srcRect = frame;
    PicHandle picture = OpenCPicture(&params);
    if (!picture) return nullptr;
    ForeColor(blackColor);
    BackColor(whiteColor);
    ClipRect(&frame);
    const BitMap* bits = GetPortBitMapForCopyBits(world);
    CopyBits(bits, bits, &frame, &frame, srcCopy, nullptr);
    ClosePicture();
    if (QDError() != noErr) {
        KillPicture(picture);
        return nullptr;
    }
    return picture;
}

}  // namespace

OSErr MemberToPng(const KorvelIcon& icon, SInt16 kind, std::vector<UInt8>* png) {
    UniqueHandle picture(KorvelIconToPicture(icon, kind));
    if (!picture) return paramErr;
    Rect frame{};
    QDGetPictureBounds(reinterpret_cast<PicHandle>(picture.get()), &frame);
    UniqueGWorld world;
    if (const OSErr err = NewGWorld(world.out(), 32, &frame, nullptr, nullptr, 0); err != noErr) return err;
    {
        SavedGWorld saved;
        SetGWorld(world.get(), nullptr);
        ForeColor(blackColor);
        BackColor(whiteColor);
        EraseRect(&frame);
        if (const OSErr err = DrawPictureChecked(reinterpret_cast<PicHandle>(picture.get()), &frame); err != noErr)
            return err;
    }
    const PixMap& pm = **GetGWorldPixMap(world.get());
    RgbaImage image;
    image.width = frame.right - frame.left;
    image.height = frame.bottom - frame.top;
    image.pixels.reserve(size_t(image.width) * size_t(image.height) * 4);
    for (int v = frame.top; v < frame.bottom; ++v) {
        const UInt8* row = PixRow(pm, v);
        for (int h = 0; h < image.width; ++h) image.pixels.insert(image.pixels.end(), {row[4 * h + 1], row[4 * h + 2], row[4 * h + 3], 255});
    }
    return EncodePngRgba(image, png);
}

PicHandle PngToPicture(std::span<const UInt8> png, std::string* why) {
    RgbaImage image;
    if (DecodePngRgba(png, kMaxMemberPngPixels, &image, why) != noErr) return nullptr;
    const Rect frame{0, 0, SInt16(image.height), SInt16(image.width)};
    UniqueGWorld world;
    if (NewGWorld(world.out(), 32, &frame, nullptr, nullptr, 0) != noErr) {
        *why = "there is not enough memory for the picture";
        return nullptr;
    }
    const PixMap& pm = **GetGWorldPixMap(world.get());
    for (int v = 0; v < image.height; ++v) {
        UInt8* row = PixRow(pm, v);
        const UInt8* src = &image.pixels[size_t(v) * size_t(image.width) * 4];
        for (int h = 0; h < image.width; ++h, src += 4) {
            const unsigned a = src[3];
            auto over = [a](unsigned c) { return UInt8((c * a + 255u * (255u - a) + 127u) / 255u); };
            row[4 * h] = 0;
            row[4 * h + 1] = over(src[0]);
            row[4 * h + 2] = over(src[1]);
            row[4 * h + 3] = over(src[2]);
        }
    }
    PicHandle picture = PictureOfWorld(world.get(), frame);
    if (!picture) *why = "there is not enough memory for the picture";
    return picture;
}

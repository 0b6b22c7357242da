// Writes the seeds of the picture fuzz target: a version 1 bit map, recorded
// copies at depths 1, 4, 8 and 32 (masked or blended), 16-bit direct rows
// packed by words, and a picture that ImageMagick writes (one-byte row counts
// where rowBytes is above 250). Built with the fuzz targets; run it as
//   cmake --build build-san --target make_picture_seeds
//   build-san/fuzz/make_picture_seeds fuzz/corpus/picture
#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/picture/PictFormat.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<UInt8>;

bool Save(const std::string& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream out(dir + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// One-byte opcodes: a short comment at an odd offset, a 16 x 2 bit map, a
// painted rectangle.
Bytes VersionOnePicture() {
    ByteWriter w;
    w.u16be(0);
    w.rect(MakeRect(0, 0, 4, 16));
    w.u8(0x11), w.u8(0x01);
    w.u8(0xA0), w.u16be(42);
    w.u8(0x90);
    w.u16be(2);
    for (int i = 0; i < 3; ++i) w.rect(MakeRect(0, 0, 2, 16));
    w.u16be(0);
    w.u8(0xF0), w.u8(0xF0), w.u8(0x0F), w.u8(0xF0);
    w.u8(0x31);
    w.rect(MakeRect(3, 4, 4, 8));
    w.u8(0xFF);
    w.patchU16be(0, UInt16(w.size()));
    return w.buffer();
}

// Two rows of 16-bit direct pixels, each a run of four 0x7C00 words.
Bytes Direct16Picture() {
    const Rect b = MakeRect(0, 0, 2, 4);
    ByteWriter w;
    w.u16be(0), w.rect(b), w.u16be(kPictVersion), w.u16be(0x02FF);
    w.u16be(kPictDirectBitsRect), w.u32be(0xFF), w.u16be(0x8008), w.rect(b);
    w.s16be(0), w.s16be(3), w.s32be(0), w.s32be(IntToFixed(72)), w.s32be(IntToFixed(72));
    w.s16be(16), w.s16be(16), w.s16be(3), w.s16be(5), w.zeros(12);
    w.rect(b), w.rect(b), w.s16be(0);
    for (int row = 0; row < 2; ++row) w.u8(3), w.u8(253), w.u8(0x7C), w.u8(0x00);
    w.u16be(kPictEndPic);
    return w.buffer();
}

// Runs and noise in every value a depth has.
void FillPattern(GWorldPtr g) {
    const PixMap& pm = **GetGWorldPixMap(g);
    const int d = pm.pixelSize;
    for (int y = 0; y < RectHeight(pm.bounds); ++y) {
        UInt8* row = PixRow(pm, y);
        for (int x = 0; x < RectWidth(pm.bounds); ++x) {
            if (d == 32) {
                const UInt32 v = y % 3 == 0 ? 0x102030u * UInt32(1 + x / 5)
                                            : (UInt32(x * 37 + y * 11) & 0xFF) << 16 |
                                                  (UInt32(x * 5) & 0xFF) << 8 | (UInt32(y * 29) & 0xFF);
                row[4 * x + 1] = UInt8(v >> 16), row[4 * x + 2] = UInt8(v >> 8), row[4 * x + 3] = UInt8(v);
                continue;
            }
            const UInt32 v = (y % 2 == 0 ? UInt32(x / 4) : UInt32(x * 7 + y * 3)) % (1u << d);
            const int bit = x * d, shift = 8 - d - (bit & 7);
            const unsigned mask = ((1u << d) - 1) << shift;
            row[bit >> 3] = UInt8((row[bit >> 3] & ~mask) | ((v << shift) & mask));
        }
    }
}

// A 12 x 3 copy at `depth`: blended at 8 bits, masked by a frame at 4 and 32.
Bytes RecordedCopy(int depth) {
    Rect r = MakeRect(0, 0, 3, 12), hole = MakeRect(1, 4, 2, 8);
    UniqueGWorld src, on;
    if (NewGWorld(src.out(), SInt16(depth), &r, nullptr, nullptr, 0) ||
        NewGWorld(on.out(), SInt16(depth), &r, nullptr, nullptr, 0))
        return {};
    FillPattern(src.get());
    UniqueRgn mask, inner;
    RectRgn(mask, &r);
    RectRgn(inner, &hole);
    DiffRgn(mask, inner, mask);
    SavedGWorld saved;
    SetGWorld(on.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = r;
    UniqueHandle pic(OpenCPicture(&params));
    CopyBits(*GetGWorldPixMap(src.get()), *GetGWorldPixMap(on.get()), &r, &r, depth == 8 ? blend : srcCopy,
             depth == 4 || depth == 32 ? mask.get() : nullptr);
    ClosePicture();
    if (!pic || QDError()) return {};
    auto bytes = HandleBytes(pic.get());
    return Bytes(bytes.begin(), bytes.end());
}

// The picture of ImageMagick's `convert -size 64x64 gradient: PICT:file`,
// without the file's 512-byte header.
Bytes ImageMagickGradient() {
    const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             "/korvel-seed-gradient.pict";
    if (std::system(("convert -size 64x64 gradient: 'PICT:" + path + "'").c_str()) != 0) return {};
    std::ifstream in(path, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), {});
    std::remove(path.c_str());
    const int offset = PictureOffsetInFile(file);
    return offset < 0 ? Bytes{} : Bytes(file.begin() + offset, file.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER (fuzz/corpus/picture)\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<std::pair<std::string, Bytes>> seeds = {{"v1_bitmap.pict", VersionOnePicture()},
                                                        {"direct16.pict", Direct16Picture()},
                                                        {"imagemagick64.pict", ImageMagickGradient()}};
    for (int depth : {1, 4, 8, 32}) seeds.push_back({"recorded" + std::to_string(depth) + ".pict", RecordedCopy(depth)});
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty() || !Save(dir, name, bytes)) {
            std::fprintf(stderr, "make_picture_seeds: could not make %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}

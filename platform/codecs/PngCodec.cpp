// libpng reports errors by longjmp. Jumping over a frame that owns objects
// with destructors is undefined, so each libpng call sequence lives in a
// function whose locals are trivial and whose setjmp point only returns; the
// C++ callers own the structs and buffers and clean up normally.
#include "platform/codecs/PngCodec.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kReasonLength = 160;

// Everything libpng's callbacks touch: trivial, so it may sit in any frame.
struct PngIo {
    const UInt8* data;
    size_t size;
    size_t pos;
    std::vector<UInt8>* sink;  // writing only
    bool outOfMemory;
    char reason[kReasonLength];
};

void SetReason(PngIo* io, const char* text) {
    std::strncpy(io->reason, text ? text : "", kReasonLength - 1);
    io->reason[kReasonLength - 1] = '\0';
}

void OnPngError(png_structp png, png_const_charp message) {
    auto* io = static_cast<PngIo*>(png_get_error_ptr(png));
    if (io && io->reason[0] == '\0') SetReason(io, message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep dest, png_size_t length) {
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (length > io->size - io->pos) png_error(png, "the PNG data ends early");
    std::memcpy(dest, io->data + io->pos, length);
    io->pos += length;
}

void WriteBytes(png_structp png, png_bytep src, png_size_t length) {
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        io->sink->insert(io->sink->end(), src, src + length);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed) {
        io->outOfMemory = true;
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

void* PngMalloc(png_structp, png_alloc_size_t size) { return std::malloc(size); }
void PngFree(png_structp, png_voidp p) { std::free(p); }

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStructs() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

// Reads the header and, for an image within the cap, sets the
// transformations that give 8-bit RGBA rows; libpng allocates its row
// buffers only then.
bool ReadPngHeader(png_structp png, png_infop info, size_t maxPixels, png_uint_32* width, png_uint_32* height,
                   bool* tooBig) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    *tooBig = UInt64(*width) * *height > maxPixels;
    if (*tooBig) return true;
    int bitDepth = png_get_bit_depth(png, info);
    int colorType = png_get_color_type(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(png_get_image_width(png, info)) * 4)
        png_error(png, "the PNG's pixels do not convert to RGBA");
    return true;
}

bool ReadPngRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

bool WritePng(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

void Explain(std::string* why, const char* prefix, const PngIo& io) {
    if (!why) return;
    *why = prefix;
    if (io.reason[0]) {
        *why += ": ";
        *why += io.reason;
    }
}

}  // namespace

OSErr DecodePngRgba(std::span<const UInt8> bytes, size_t maxPixels, RgbaImage* out, std::string* why) {
    if (!out) return paramErr;
    *out = RgbaImage{};
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        if (why) *why = "not PNG data (no PNG signature)";
        return paramErr;
    }
    PngIo io{bytes.data(), bytes.size(), 8, nullptr, false, {}};
    ReadStructs s;
    s.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &io, OnPngError, OnPngWarning, nullptr, PngMalloc,
                                     PngFree);
    if (s.png) s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) {
        if (why) *why = "out of memory for the PNG reader";
        return memFullErr;
    }
    png_set_read_fn(s.png, &io, ReadBytes);
    // Ancillary chunks (text, profiles, suggested palettes) are not used: they
    // are skipped unread, since libpng would allocate a chunk's claimed length
    // for some of them before reading it; what it still keeps is small.
    static const png_byte kSkipped[] = "iCCP\0iTXt\0sPLT\0tEXt\0zTXt\0eXIf\0sCAL\0pCAL\0hIST\0";
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, kSkipped, int(sizeof kSkipped / 5));
    png_set_chunk_malloc_max(s.png, 1 << 20);
    png_set_chunk_cache_max(s.png, 128);

    png_uint_32 width = 0, height = 0;
    bool tooBig = false;
    if (!ReadPngHeader(s.png, s.info, maxPixels, &width, &height, &tooBig)) {
        Explain(why, "unreadable PNG header", io);
        return paramErr;
    }
    const UInt64 pixelCount = UInt64(width) * height;
    if (tooBig) {
        if (why)
            *why = "the PNG image is " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels, more than the " + std::to_string(maxPixels) + " allowed";
        return memFullErr;
    }
    std::vector<png_bytep> rows;
    try {
        out->pixels.resize(size_t(pixelCount) * 4);
        rows.resize(height);
    } catch (const std::bad_alloc&) {
        *out = RgbaImage{};
        if (why) *why = "out of memory for the PNG image";
        return memFullErr;
    }
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = out->pixels.data() + size_t(y) * width * 4;
    if (!ReadPngRows(s.png, rows.data())) {
        *out = RgbaImage{};
        Explain(why, "damaged PNG image data", io);
        return paramErr;
    }
    out->width = int(width);
    out->height = int(height);
    return noErr;
}

OSErr EncodePngRgba(const RgbaImage& image, std::vector<UInt8>* out) {
    if (!out || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height) * 4)
        return paramErr;
    out->clear();
    PngIo io{nullptr, 0, 0, out, false, {}};
    WriteStructs s;
    s.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &io, OnPngError, OnPngWarning, nullptr, PngMalloc,
                                      PngFree);
    if (s.png) s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) return memFullErr;
    png_set_write_fn(s.png, &io, WriteBytes, FlushNothing);
    std::vector<png_bytep> rows;
    try {
        rows.resize(size_t(image.height));
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    // libpng takes non-const row pointers but only reads them when writing.
    auto* base = const_cast<UInt8*>(image.pixels.data());
    for (int y = 0; y < image.height; ++y) rows[size_t(y)] = base + size_t(y) * size_t(image.width) * 4;
    if (!WritePng(s.png, s.info, png_uint_32(image.width), png_uint_32(image.height), rows.data())) {
        out->clear();
        return io.outOfMemory ? memFullErr : paramErr;
    }
    return noErr;
}

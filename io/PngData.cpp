// libpng reports errors by longjmp. Jumping over a frame that owns objects
// with destructors is undefined, so every libpng call sequence that can fail
// lives in a function whose locals are trivial and whose setjmp point only
// returns false; the callers own the structures and buffers and clean up
// normally.
#include "io/PngData.h"

#include "image/Colors.h"
#include "platform/raster/ColorTables.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

namespace {

constexpr size_t kMessageLength = 256;

// The error record handed to libpng: the error code set by the error
// callback and libpng's message. Trivial, so it may sit in any frame.
struct PNGErrorRec {
    SInt16 errorCode;
    char message[kMessageLength];
};

// The bytes being read, or the vector being written.
struct PNGIo {
    const UInt8* data;
    size_t size;
    size_t pos;
    std::vector<UInt8>* sink;
};

void png_default_error(png_structp png, png_const_charp message) {
    if (auto* err = static_cast<PNGErrorRec*>(png_get_error_ptr(png))) {
        err->errorCode = -1;
        if (err->message[0] == '\0') {
            std::strncpy(err->message, message ? message : "", kMessageLength - 1);
            err->message[kMessageLength - 1] = '\0';
        }
    }
    png_longjmp(png, 1);
}

void png_default_warning(png_structp, png_const_charp) {}

void png_default_read_data(png_structp png, png_bytep data, png_size_t length) {
    auto* io = static_cast<PNGIo*>(png_get_io_ptr(png));
    if (length > io->size - io->pos) png_error(png, "Read Error");
    std::memcpy(data, io->data + io->pos, length);
    io->pos += length;
}

void png_default_write_data(png_structp png, png_bytep data, png_size_t length) {
    auto* io = static_cast<PNGIo*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        io->sink->insert(io->sink->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed) png_error(png, "Write Error");
}

void FlushNothing(png_structp) {}

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStructs() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    ~ReadStructs() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, endInfo ? &endInfo : nullptr);
    }
};

UInt8 High(UInt16 v) { return UInt8(v >> 8); }

// Everything PNGEncodeBytes hands to the writing sequence.
struct WriteJob {
    png_uint_32 width, height;
    int bitDepth, colorType, interlace, level;
    png_colorp palette;
    int paletteCount;
    png_bytep alpha;   // palette tRNS
    int alphaCount;
    png_color_16p transColor;  // RGB tRNS
    png_timep time;
    png_bytepp rows;
};

bool WritePNG(png_structp png, png_infop info, const WriteJob& job) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_filter(png, PNG_FILTER_TYPE_BASE, job.palette ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
    png_set_compression_level(png, job.level);
    // zlib's largest state (256 KiB): about a fifth faster than its default, files alike.
    png_set_compression_mem_level(png, 9);
    png_set_IHDR(png, info, job.width, job.height, job.bitDepth, job.colorType, job.interlace,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (job.palette) png_set_PLTE(png, info, job.palette, job.paletteCount);
    png_set_gAMA_fixed(png, info, 55555);
    if (job.alpha) png_set_tRNS(png, info, job.alpha, job.alphaCount, nullptr);
    if (job.transColor) png_set_tRNS(png, info, nullptr, 0, job.transColor);
    if (job.time) png_set_tIME(png, info, job.time);
    char key[] = "Software";
    char text[] = "Korvel";
    png_text chunk{};
    chunk.compression = PNG_TEXT_COMPRESSION_NONE;
    chunk.key = key;
    chunk.text = text;
    chunk.text_length = sizeof text - 1;
    png_set_text(png, info, &chunk, 1);
    png_set_pHYs(png, info, 2835, 2835, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (!job.palette) png_set_filler(png, 0, PNG_FILLER_BEFORE);
    png_write_image(png, job.rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

OSErr PNGEncodeBytes(const PNGEncodeParams& p, std::vector<UInt8>* out, std::string* libpngMessage) {
    if (!out || !p.buffer) return paramErr;
    out->clear();
    PixMapHandle pm = GetGWorldPixMap(p.buffer);
    if (!pm || !*pm || !(*pm)->baseAddr) return paramErr;
    const PixMap& map = **pm;
    const bool indexed = p.depth <= 8;
    if (map.pixelSize != (indexed ? p.depth : 32) || p.width <= 0 || p.height <= 0 ||
        p.width > map.bounds.right - map.bounds.left || p.height > map.bounds.bottom - map.bounds.top)
        return paramErr;
    if (indexed && (p.depth != 1 && p.depth != 2 && p.depth != 4 && p.depth != 8)) return paramErr;

    std::vector<png_color> palette;
    std::vector<png_byte> alpha;
    std::vector<png_bytep> rows;
    png_color_16 transColor{};
    png_time time{};
    try {
        if (indexed) {
            // A palette holds at most 2^depth entries, and no more than the table has.
            const int count = std::min({int(p.colorCount), 1 << p.depth, CTabReadableCount(map.pmTable)});
            if (count < 1) return paramErr;
            const ColorSpec* entries = CTabEntries(map.pmTable);
            for (int i = 0; i < count; ++i)
                palette.push_back(png_color{High(entries[i].rgb.red), High(entries[i].rgb.green), High(entries[i].rgb.blue)});
            // An index past the palette cannot be transparent: no tRNS then.
            if (p.transIndex >= 0 && p.transIndex < count) {
                alpha.assign(size_t(p.transIndex) + 1, 255);
                alpha.back() = 0;
            }
        }
        rows.resize(size_t(p.height));
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    const SInt32 rowBytes = map.rowBytes & 0x3FFF'FFFF;
    for (int i = 0; i < p.height; ++i) rows[size_t(i)] = reinterpret_cast<png_bytep>(map.baseAddr) + ptrdiff_t(i) * rowBytes;
    if (!indexed && p.transIndex >= 0) {
        transColor.red = High(p.transColor.red);
        transColor.green = High(p.transColor.green);
        transColor.blue = High(p.transColor.blue);
    }
    if (p.modified) {
        std::tm local{};
        if (localtime_r(&p.modified, &local)) {
            time.year = png_uint_16(local.tm_year + 1900);
            time.month = png_byte(local.tm_mon + 1);
            time.day = png_byte(local.tm_mday);
            time.hour = png_byte(local.tm_hour);
            time.minute = png_byte(local.tm_min);
            time.second = png_byte(std::min(local.tm_sec, 60));
        }
    }

    PNGErrorRec err{0, {}};
    PNGIo io{nullptr, 0, 0, out};
    WriteStructs s;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_default_error, png_default_warning);
    if (!s.png) return memFullErr;
    png_set_error_fn(s.png, &err, png_default_error, png_default_warning);
    s.info = png_create_info_struct(s.png);
    if (!s.info) return memFullErr;
    png_set_write_fn(s.png, &io, png_default_write_data, FlushNothing);
    png_set_write_status_fn(s.png, nullptr);

    const WriteJob job{png_uint_32(p.width),
                       png_uint_32(p.height),
                       indexed ? p.depth : 8,
                       indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                       p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                       std::clamp(int(p.compressLevel), 0, 9),
                       indexed ? palette.data() : nullptr,
                       int(palette.size()),
                       alpha.empty() ? nullptr : alpha.data(),
                       int(alpha.size()),
                       !indexed && p.transIndex >= 0 ? &transColor : nullptr,
                       time.year ? &time : nullptr,
                       rows.data()};
    if (!WritePNG(s.png, s.info, job)) {
        out->clear();
        if (libpngMessage) *libpngMessage = err.message;
        return kPNGWriteErr;
    }
    return noErr;
}

namespace {

// How the rows of a file reach the buffer.
enum class Layout {
    indexed,    // palette or grey rows straight into an indexed buffer
    direct,     // alpha (or pad), red, green, blue straight into a 32-bit buffer
    greyAlpha,  // grey and alpha pairs through a scratch image
};

struct Header {
    png_uint_32 width, height;
    int bitDepth, colorType, interlace;
};

bool ReadHeader(png_structp png, png_infop info, Header* h) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    int compression = 0, filter = 0;
    if (!png_get_IHDR(png, info, &h->width, &h->height, &h->bitDepth, &h->colorType, &h->interlace, &compression,
                      &filter))
        png_error(png, "no image header");
    double gamma = 0;
    (void)png_get_gAMA(png, info, &gamma);  // no gamma correction takes place
    return true;
}

// What the transformations make of the file.
struct Plan {
    Layout layout;
    int depth;            // the buffer's
    bool maskFromAlpha;   // direct and greyAlpha: the alpha byte decides
    png_colorp palette;   // palette images
    int paletteCount;
    png_bytep trans;      // palette tRNS, when the mask is asked for
    int transCount;
    size_t rowBytes;      // as libpng delivers them
};

bool PrepareRead(png_structp png, png_infop info, const Header& h, bool wantMask, Plan* plan) {
    if (setjmp(png_jmpbuf(png))) return false;
    const bool hasTRNS = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (h.bitDepth == 16) png_set_strip_16(png);
    switch (h.colorType) {
    case PNG_COLOR_TYPE_PALETTE:
        plan->layout = Layout::indexed;
        plan->depth = h.bitDepth;
        if (!png_get_PLTE(png, info, &plan->palette, &plan->paletteCount)) png_error(png, "no palette");
        if (wantMask && hasTRNS) {
            png_color_16p unused = nullptr;
            png_get_tRNS(png, info, &plan->trans, &plan->transCount, &unused);
        }
        break;
    case PNG_COLOR_TYPE_GRAY:
        if (wantMask && hasTRNS) {
            png_set_tRNS_to_alpha(png);
            plan->layout = Layout::greyAlpha;
            plan->maskFromAlpha = true;
            plan->depth = 8;
        } else {
            plan->layout = Layout::indexed;
            plan->depth = h.bitDepth == 16 ? 8 : h.bitDepth;
        }
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        plan->layout = Layout::greyAlpha;
        plan->maskFromAlpha = true;
        plan->depth = 8;
        break;
    case PNG_COLOR_TYPE_RGB:
        plan->layout = Layout::direct;
        plan->depth = 32;
        if (wantMask && hasTRNS) {
            png_set_tRNS_to_alpha(png);
            png_set_swap_alpha(png);
            plan->maskFromAlpha = true;
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        plan->layout = Layout::direct;
        plan->depth = 32;
        png_set_swap_alpha(png);
        plan->maskFromAlpha = true;
        break;
    default:
        png_error(png, "unknown colour type");
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    plan->rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool ReadRows(png_structp png, png_infop endInfo, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, endInfo);
    return true;
}

// The colour table of an indexed buffer: the palette (each byte widened to
// 16 bits, 255 to 0xFFFF), padded with black to 2^depth entries, since a
// damaged file may hold indices past its palette.
CTabHandle PaletteTable(const Plan& plan) {
    CTabHandle ct = NewColorTable(1 << plan.depth);
    if (!ct) return nullptr;
    ColorSpec* e = CTabEntries(ct);
    for (int i = 0; i < (1 << plan.depth); ++i) {
        e[i].value = SInt16(i);
        if (i < plan.paletteCount) {
            const png_color& c = plan.palette[i];
            e[i].rgb = RGBColor{UInt16(c.red * 0x101), UInt16(c.green * 0x101), UInt16(c.blue * 0x101)};
        }
    }
    return ct;
}

int IndexAt(const UInt8* row, int x, int depth) {
    if (depth == 8) return row[x];
    const int perByte = 8 / depth;
    const int shift = 8 - depth * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1 << depth) - 1);
}

void SetMaskBit(UInt8* row, int x) { row[x >> 3] = UInt8(row[x >> 3] | (0x80 >> (x & 7))); }

[[nodiscard]] OSErr NewMask(const Rect& bounds, UniqueGWorld* mask) {
    if (OSErr err = NewGWorld(mask->out(), 1, &bounds, nullptr, nullptr, 0); err != noErr) return err;
    const PixMap& m = **GetGWorldPixMap(mask->get());
    std::memset(m.baseAddr, 0, size_t(m.rowBytes) * size_t(bounds.bottom - bounds.top));
    return noErr;
}

}  // namespace

OSErr PNGDecodeBytes(std::span<const UInt8> bytes, Boolean wantMask, Size maxPixels, PNGDecoded* out,
                     SInt16* message, std::string* libpngMessage) {
    SInt16 ignored = 0;
    if (!message) message = &ignored;
    *message = 0;
    if (!out) return paramErr;
    *out = PNGDecoded{};
    if (bytes.size() < 8) {
        *message = kPNGSignatureUnreadableMessage;
        return eofErr;
    }
    if (png_sig_cmp(bytes.data(), 0, 8) != 0) {
        *message = kPNGNotPNGMessage;
        return kPNGNotPNGErr;
    }

    PNGErrorRec err{0, {}};
    PNGIo io{bytes.data(), bytes.size(), 8, nullptr};
    ReadStructs s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_default_error, png_default_warning);
    if (!s.png) return memFullErr;
    png_set_error_fn(s.png, &err, png_default_error, png_default_warning);
    s.info = png_create_info_struct(s.png);
    s.endInfo = png_create_info_struct(s.png);
    if (!s.info || !s.endInfo) return memFullErr;
    png_set_read_fn(s.png, &io, png_default_read_data);
    // The caps below are the program's; libpng's own must not refuse first.
    png_set_user_limits(s.png, 0x7FFF'FFFF, 0x7FFF'FFFF);
    // Chunks the program does not use are skipped unread, so that no text or
    // profile can ask for memory or time; what libpng still keeps is small.
    static const png_byte kSkipped[] = "iCCP\0iTXt\0sPLT\0tEXt\0zTXt\0eXIf\0sCAL\0pCAL\0hIST\0";
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, kSkipped, int(sizeof kSkipped / 5));
    png_set_chunk_malloc_max(s.png, 1 << 20);
    png_set_chunk_cache_max(s.png, 64);

    const auto failed = [&](OSErr code, SInt16 why) {
        *out = PNGDecoded{};
        *message = why;
        if (libpngMessage) *libpngMessage = err.message;
        return code;
    };
    Header h{};
    if (!ReadHeader(s.png, s.info, &h)) return failed(kPNGReadErr, kPNGReadFailedMessage);
    if (h.width == 0 || h.height == 0) return failed(kPNGHeaderErr, kPNGReadFailedMessage);
    if (h.width > png_uint_32(kMaxPNGEdge) || h.height > png_uint_32(kMaxPNGEdge) ||
        UInt64(h.width) * h.height > UInt64(std::min(maxPixels, kMaxPNGPixels)))
        return failed(kPNGTooLargeErr, kPNGTooLargeMessage);
    out->hadAlpha = (h.colorType & PNG_COLOR_MASK_ALPHA) != 0;

    Plan plan{};
    if (!PrepareRead(s.png, s.info, h, wantMask, &plan)) return failed(kPNGReadErr, kPNGReadFailedMessage);
    const int width = int(h.width), height = int(h.height);
    const Rect bounds{0, 0, SInt16(height), SInt16(width)};
    const size_t wantRowBytes = plan.layout == Layout::greyAlpha ? size_t(width) * 2
                                : plan.layout == Layout::direct  ? size_t(width) * 4
                                                                 : (size_t(width) * size_t(plan.depth) + 7) / 8;
    if (plan.rowBytes != wantRowBytes) return failed(kPNGReadErr, kPNGReadFailedMessage);

    UniqueCTable table;
    if (plan.layout != Layout::direct) {
        table.reset(h.colorType == PNG_COLOR_TYPE_PALETTE ? PaletteTable(plan) : GetGrayscaleCTable(SInt16(plan.depth), false));
        if (!table) return failed(memFullErr, kPNGNoMemoryMessage);
    }
    if (OSErr e = NewGWorld(out->image.out(), SInt16(plan.depth), &bounds, table.get(), nullptr, 0); e != noErr)
        return failed(e, kPNGNoMemoryMessage);
    const PixMap& image = **GetGWorldPixMap(out->image.get());

    std::vector<UInt8> scratch;
    std::vector<png_bytep> rows;
    try {
        if (plan.layout == Layout::greyAlpha) scratch.resize(size_t(width) * 2 * size_t(height));
        rows.resize(size_t(height));
    } catch (const std::bad_alloc&) {
        return failed(memFullErr, kPNGNoMemoryMessage);
    }
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = plan.layout == Layout::greyAlpha ? scratch.data() + size_t(y) * size_t(width) * 2
                                                           : reinterpret_cast<png_bytep>(PixRow(image, y));
    if (!ReadRows(s.png, s.endInfo, rows.data())) return failed(kPNGReadErr, kPNGReadFailedMessage);

    const bool paletteMask = plan.trans && plan.transCount > 0;
    if (!plan.maskFromAlpha && !paletteMask) return noErr;
    // Without memory for the mask the picture still opens, all opaque.
    const bool haveMask = NewMask(bounds, &out->mask) == noErr;
    const PixMap* mask = haveMask ? *GetGWorldPixMap(out->mask.get()) : nullptr;
    for (int y = 0; y < height; ++y) {
        UInt8* row = PixRow(image, y);
        UInt8* maskRow = mask ? PixRow(*mask, y) : nullptr;
        if (plan.layout == Layout::greyAlpha) {
            const UInt8* pairs = rows[size_t(y)];
            for (int x = 0; x < width; ++x) {
                row[x] = pairs[2 * x];
                if (maskRow && pairs[2 * x + 1] >= 128) SetMaskBit(maskRow, x);
            }
        } else if (plan.layout == Layout::direct) {
            for (int x = 0; x < width; ++x) {
                if (maskRow && row[4 * x] >= 128) SetMaskBit(maskRow, x);
                row[4 * x] = 0;
            }
        } else if (maskRow) {
            for (int x = 0; x < width; ++x) {
                const int index = IndexAt(row, x, plan.depth);
                if (index >= plan.transCount || plan.trans[index] != 0) SetMaskBit(maskRow, x);
            }
        }
    }
    return noErr;
}

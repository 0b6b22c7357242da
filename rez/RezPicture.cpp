// Pictures from pixel art: the statements paint a 32-bit graphics world, and
// one CopyBits of it is recorded as the picture, so the program plays back
// exactly these pixels with DrawPicture. Pixels painted with a colour named
// by `clear` are left out of the copy through its mask region, so they keep
// whatever the picture is drawn over.
#include "platform/picture/Pictures.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "rez/RezInternal.h"

#include <map>
#include <vector>

namespace rez {

namespace {

constexpr long long kMaxArtEdge = 1024;
// The colour value of `clear` pixels: above every #RRGGBB colour.
constexpr UInt32 kClearPixel = 0x1000000;

struct Canvas {
    UniqueGWorld world;
    int width = 0, height = 0;
    std::vector<bool> clear;  // per pixel, row by row

    void Set(int x, int y, UInt32 rgb) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        clear[size_t(y) * size_t(width) + size_t(x)] = rgb == kClearPixel;
        if (rgb == kClearPixel) rgb = 0xFFFFFF;
        PixMapHandle pm = GetGWorldPixMap(world.get());
        UInt8* p = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm)) + size_t(y) * size_t(GetPixRowBytes(pm)) + size_t(x) * 4;
        p[0] = 0;
        p[1] = UInt8(rgb >> 16);
        p[2] = UInt8(rgb >> 8);
        p[3] = UInt8(rgb);
    }
    void Fill(Rect r, UInt32 rgb) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, rgb);
    }
};

UInt32 ColorOf(const std::map<char, UInt32>& palette, const Stmt& s, size_t i) {
    const Token& t = s.At(i);
    if (t.text.size() != 1) Fail(s.where, "a palette character is a single character, found '" + t.text + "'");
    auto it = palette.find(t.text[0]);
    if (it == palette.end()) Fail(s.where, "character '" + t.text + "' has no colour (use 'color')");
    return it->second;
}

}  // namespace

std::vector<UInt8> CompilePixelArt(const std::vector<Stmt>& body, const Where& header) {
    Canvas canvas;
    std::map<char, UInt32> palette;
    int rowTop = 0, rowLeft = 0, nextRow = 0, scale = 1;
    for (const Stmt& s : body) {
        if (s.IsRow()) {
            if (!canvas.world) Fail(s.where, "'size' comes before the pixels");
            const std::string& r = s.tokens[0].text;
            const int y = rowTop + scale * nextRow++;
            if (y + scale > canvas.height) Fail(s.where, "row below the picture's bottom");
            if (rowLeft + scale * int(r.size()) > canvas.width) Fail(s.where, "row runs past the picture's right edge");
            for (size_t x = 0; x < r.size(); ++x) {
                if (r[x] == ' ') continue;  // leaves what is there
                auto it = palette.find(r[x]);
                if (it == palette.end()) Fail(s.where, std::string("character '") + r[x] + "' has no colour");
                const int left = rowLeft + scale * int(x);
                canvas.Fill(MakeRect(y, left, y + scale, left + scale), it->second);
            }
            continue;
        }
        const std::string k = s.Keyword();
        if (k == "size") {
            s.ExpectCount(3);
            if (canvas.world) Fail(s.where, "'size' given twice");
            canvas.width = int(s.Int(1, 1, kMaxArtEdge));
            canvas.height = int(s.Int(2, 1, kMaxArtEdge));
            canvas.clear.assign(size_t(canvas.width) * size_t(canvas.height), false);
            Rect bounds = MakeRect(0, 0, canvas.height, canvas.width);
            if (NewGWorld(canvas.world.out(), 32, &bounds, nullptr, nullptr, 0) != noErr)
                Fail(s.where, "out of memory for the picture");
            canvas.Fill(bounds, 0xFFFFFF);
            continue;
        }
        if (k == "clear") {
            s.ExpectCount(2);
            const std::string& c = s.At(1).text;
            if (c.size() != 1 || c[0] == ' ' || c[0] == '|')
                Fail(s.where, "a palette character is one character other than space and |");
            palette[c[0]] = kClearPixel;
            continue;
        }
        if (k == "color") {
            s.ExpectCount(3);
            const std::string& c = s.At(1).text;
            if (c.size() != 1 || c[0] == ' ' || c[0] == '|')
                Fail(s.where, "a palette character is one character other than space and |");
            UInt32 rgb = 0;
            if (!ParseColor(s.At(2).text, &rgb)) Fail(s.where, "a colour is written #RRGGBB");
            palette[c[0]] = rgb;
            continue;
        }
        if (!canvas.world) Fail(s.where, "'size' comes first");
        if (k == "fill") {
            s.ExpectCount(2);
            canvas.Fill(MakeRect(0, 0, canvas.height, canvas.width), ColorOf(palette, s, 1));
        } else if (k == "rect" || k == "frame") {
            s.ExpectCount(6);
            const UInt32 rgb = ColorOf(palette, s, 1);
            const Rect r = s.RectAt(2);
            if (k == "rect") {
                canvas.Fill(r, rgb);
            } else if (r.bottom > r.top && r.right > r.left) {
                canvas.Fill(MakeRect(r.top, r.left, r.top + 1, r.right), rgb);
                canvas.Fill(MakeRect(r.bottom - 1, r.left, r.bottom, r.right), rgb);
                canvas.Fill(MakeRect(r.top, r.left, r.bottom, r.left + 1), rgb);
                canvas.Fill(MakeRect(r.top, r.right - 1, r.bottom, r.right), rgb);
            }
        } else if (k == "at") {
            // at TOP LEFT [scale N]: the rows that follow start there, each
            // character N x N pixels.
            if (s.tokens.size() != 3) {
                s.ExpectCount(5);
                if (s.At(3).text != "scale") Fail(s.where, "expected 'scale' after the position");
            }
            rowTop = int(s.Int(1, 0, kMaxArtEdge));
            rowLeft = int(s.Int(2, 0, kMaxArtEdge));
            scale = s.tokens.size() == 5 ? int(s.Int(4, 1, 64)) : 1;
            nextRow = 0;
        } else {
            Fail(s.where, "unknown statement '" + k + "' (expected size, color, clear, fill, rect, frame, at or |pixels|)");
        }
    }
    if (!canvas.world) Fail(header, "a picture needs 'size'");

    // Record one CopyBits of the art onto a port of the same size.
    UniqueGWorld port;
    Rect bounds = MakeRect(0, 0, canvas.height, canvas.width);
    if (NewGWorld(port.out(), 32, &bounds, nullptr, nullptr, 0) != noErr) Fail(header, "out of memory for the picture");
    SavedGWorld saved;
    SetGWorld(port.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = bounds;
    UniqueHandle pic(OpenCPicture(&params));
    if (!pic) Fail(header, "cannot record the picture");
    // The drawn pixels as a region: runs of each row, joined.
    UniqueRgn drawn;
    bool anyClear = false;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width;) {
            const size_t row = size_t(y) * size_t(canvas.width);
            if (canvas.clear[row + size_t(x)]) {
                anyClear = true;
                ++x;
                continue;
            }
            int end = x;
            while (end < canvas.width && !canvas.clear[row + size_t(end)]) ++end;
            UniqueRgn run;
            SetRectRgn(run, SInt16(x), SInt16(y), SInt16(end), SInt16(y + 1));
            UnionRgn(drawn, run, drawn);
            x = end;
        }
    }
    if (anyClear && RegionToStored(drawn).empty() && !EmptyRgn(drawn))
        Fail(header, "the drawn pixels make a region too complex to store");
    CopyBits(GetPortBitMapForCopyBits(canvas.world.get()), GetPortBitMapForCopyBits(port.get()), &bounds, &bounds,
             srcCopy, anyClear ? drawn.get() : nullptr);
    ClosePicture();
    if (QDError() != noErr) Fail(header, "recording the picture failed");
    std::span<const UInt8> bytes = HandleBytes(pic.get());
    return std::vector<UInt8>(bytes.begin(), bytes.end());
}

}  // namespace rez

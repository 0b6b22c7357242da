// Draws Korvel's application icon, a pencil over a pixel grid, at each size
// of the desktop's icon theme and writes every size as a PICT file
// (korvel-SIZE.pict) into the folder given, with Korvel's own drawing and
// picture code. The pictures are kept in the repository; the build turns
// them into the theme's PNG files with `korvel convert`.
//
// White is the icon's transparent colour (the PNGs are written with white
// as their transparent colour), so the drawing itself never uses pure white.
//
//   korvel-draw-icon FOLDER
#include "io/PictFile.h"
#include "platform/core/Memory.h"
#include "platform/files/FSSpec.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

constexpr RGBColor Hex(unsigned rgb) {
    return {UInt16(((rgb >> 16) & 0xFF) * 257), UInt16(((rgb >> 8) & 0xFF) * 257), UInt16((rgb & 0xFF) * 257)};
}
constexpr RGBColor kClear = Hex(0xFFFFFF), kPaper = Hex(0xF3F0E6), kGridLine = Hex(0xC4CAD6),
                   kFrame = Hex(0x3A4254), kOutline = Hex(0x2A2633), kGraphite = Hex(0x34323C),
                   kWood = Hex(0xE9C593), kBody = Hex(0xF2B52C), kBodyLight = Hex(0xF9D76E),
                   kBodyDark = Hex(0xCF8A22), kFerrule = Hex(0xA9AFBB), kFerruleDark = Hex(0x7A8291),
                   kEraser = Hex(0xE9788B), kBlue = Hex(0x2F6FD6), kRed = Hex(0xE0483E), kGreen = Hex(0x3FA45A);


// The icon as colours, row by row, before it is drawn.
struct Canvas {
    int size;
    std::vector<RGBColor> pixels;
    explicit Canvas(int s) : size(s), pixels(size_t(s) * size_t(s), kClear) {}
    RGBColor& at(int x, int y) { return pixels[size_t(y) * size_t(size) + size_t(x)]; }
};

// The sheet of paper with its grid, a few cells already painted.
void DrawSheet(Canvas& c, int* cellOut, int* leftOut, int* topOut, int* cellsOut) {
    const int s = c.size;
    const int cells = s >= 64 ? 8 : s >= 32 ? 6 : 4;
    const int line = std::max(1, s / 64);
    const int margin = std::max(1, s / 16);
    const int cell = (s - 2 * margin - line) / cells;
    const int sheet = cells * cell + line;
    const int left = margin, top = s - margin - sheet;
    for (int y = top; y < top + sheet; ++y)
        for (int x = left; x < left + sheet; ++x) {
            const bool onLine = (x - left) % cell < line || (y - top) % cell < line;
            const bool onFrame = x - left < line || y - top < line || x >= left + sheet - line || y >= top + sheet - line;
            c.at(x, y) = onFrame ? kFrame : onLine ? kGridLine : kPaper;
        }
    // The pixels drawn so far: a trail along the bottom row and up the left column.
    struct Painted { int col, row; RGBColor color; };
    std::vector<Painted> painted = {{0, cells - 1, kBlue}, {1, cells - 1, kBlue}, {0, cells - 2, kRed}};
    if (cells >= 6) painted.push_back({2, cells - 1, kGreen}), painted.push_back({0, cells - 3, kBlue});
    if (cells >= 8) painted.push_back({3, cells - 1, kRed}), painted.push_back({1, cells - 2, kGreen});
    for (const Painted& p : painted)
        for (int y = top + p.row * cell + line; y < top + (p.row + 1) * cell; ++y)
            for (int x = left + p.col * cell + line; x < left + (p.col + 1) * cell; ++x) c.at(x, y) = p.color;
    *cellOut = cell;
    *leftOut = left;
    *topOut = top;
    *cellsOut = cells;
}

// The pencil lies at 45 degrees, its point on the grid's next cell and its
// eraser at the top-right corner; every pixel whose centre falls inside is
// coloured by where along and across the pencil it lies, then the shape gets
// a dark outline one pixel wide (two from 128 pixels).
void DrawPencil(Canvas& c, int cell, int left, int top, int cells) {
    const double s = c.size;
    const double tipX = left + 1.5 * cell, tipY = top + (cells - 1.5) * cell;  // the point's centre
    const double halfWidth = std::max(1.6, s * 0.11);
    const int outline = c.size >= 128 ? 2 : 1;
    // The eraser's corners, half a width beside its end, stay on the canvas.
    const double endX = s - outline - 0.75 * halfWidth, endY = outline + 0.75 * halfWidth;
    const double length = std::hypot(endX - tipX, endY - tipY);
    const double ax = (endX - tipX) / length, ay = (endY - tipY) / length;  // along, towards the eraser
    const double tip = halfWidth * 2.2, graphite = tip * 0.4;
    const double ferrule = std::max(1.0, s * 0.07), eraser = std::max(1.5, s * 0.09);
    std::vector<RGBColor> shape(c.pixels.size(), kClear);
    std::vector<char> inside(c.pixels.size(), 0);
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) {
            const double px = x + 0.5 - tipX, py = y + 0.5 - tipY;
            const double along = px * ax + py * ay, across = px * -ay + py * ax;
            if (along < -0.35 || along > length) continue;
            const double width = along < tip ? halfWidth * std::max(along, 0.0) / tip + 0.35 : halfWidth;
            if (std::abs(across) > width) continue;
            RGBColor color;
            if (along < graphite) color = kGraphite;
            else if (along < tip) color = kWood;
            else if (along < length - eraser - ferrule)
                color = across < -halfWidth / 3 ? kBodyLight : across > halfWidth / 3 ? kBodyDark : kBody;
            else if (along < length - eraser) color = across > 0 ? kFerruleDark : kFerrule;
            else color = kEraser;
            const size_t i = size_t(y) * size_t(c.size) + size_t(x);
            shape[i] = color;
            inside[i] = 1;
        }
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) {
            const size_t i = size_t(y) * size_t(c.size) + size_t(x);
            if (inside[i]) {
                c.at(x, y) = shape[i];
                continue;
            }
            bool near = false;
            for (int dy = -outline; dy <= outline && !near; ++dy)
                for (int dx = -outline; dx <= outline && !near; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    near = nx >= 0 && ny >= 0 && nx < c.size && ny < c.size &&
                           inside[size_t(ny) * size_t(c.size) + size_t(nx)];
                }
            if (near) c.at(x, y) = kOutline;
        }
}

// Paints the canvas into the current port, a run of one colour at a time.
void PaintCanvas(const Canvas& c) {
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size;) {
            const RGBColor color = c.pixels[size_t(y) * size_t(c.size) + size_t(x)];
            int end = x + 1;
            while (end < c.size && c.pixels[size_t(y) * size_t(c.size) + size_t(end)] == color) ++end;
            const Rect run{SInt16(y), SInt16(x), SInt16(y + 1), SInt16(end)};
            RGBForeColor(&color);
            PaintRect(&run);
            x = end;
        }
    ForeColor(blackColor);
}

OSErr WriteIcon(int size, const std::string& folder) {
    Canvas canvas(size);
    int cell = 0, left = 0, top = 0, cells = 0;
    DrawSheet(canvas, &cell, &left, &top, &cells);
    DrawPencil(canvas, cell, left, top, cells);

    const Rect bounds{0, 0, SInt16(size), SInt16(size)};
    UniqueGWorld drawing, port;
    if (OSErr err = NewGWorld(drawing.out(), 32, &bounds, nullptr, nullptr, 0); err != noErr) return err;
    if (OSErr err = NewGWorld(port.out(), 32, &bounds, nullptr, nullptr, 0); err != noErr) return err;
    SavedGWorld saved;
    SetGWorld(drawing.get(), nullptr);
    PaintCanvas(canvas);
    SetGWorld(port.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = bounds;
    UniqueHandle picture(reinterpret_cast<Handle>(OpenCPicture(&params)));
    if (!picture) return memFullErr;
    CopyBits(GetPortBitMapForCopyBits(drawing.get()), GetPortBitMapForCopyBits(port.get()), &bounds, &bounds, srcCopy,
             nullptr);
    ClosePicture();
    FSSpec out;
    const std::string path = folder + "/korvel-" + std::to_string(size) + ".pict";
    if (OSErr err = FSSpecFromPath(path, &out); err != noErr) return err;
    return SaveAsPictMain(reinterpret_cast<PicHandle>(picture.get()), out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: korvel-draw-icon FOLDER\n", stderr);
        return 2;
    }
    for (int size : kSizes)
        if (OSErr err = WriteIcon(size, argv[1]); err != noErr) {
            std::fprintf(stderr, "korvel-draw-icon: the %d-pixel icon cannot be written (error %d)\n", size, err);
            return 1;
        }
    return 0;
}

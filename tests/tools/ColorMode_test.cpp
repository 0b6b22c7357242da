// Colour mode on a 24-bit picture: every pixel becomes the nearest colour of
// the mode's table, or the table's colours diffused Floyd–Steinberg, against
// a reference worked out here; undo gives back the exact buffers.
#include "tools/ColorMode.h"

#include "platform/raster/ColorTables.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

using Pixels = std::vector<UInt32>;

Pixels AllPixels(GWorldPtr g) {
    Pixels out;
    const PixMap& pm = MapOf(g);
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v)
        for (int h = pm.bounds.left; h < pm.bounds.right; ++h) out.push_back(Px(pm, h, v) & 0xFFFFFF);
    return out;
}

// The reduction worked out directly: 8-bit components, the nearest table
// entry, and with dither the error passed on 7/16, 3/16, 5/16, 1/16
// (rounded toward zero), rows left to right.
Pixels Reference(const Pixels& in, int width, CTabHandle table, bool dither) {
    const int height = int(in.size()) / width;
    Pixels out(in.size());
    std::vector<int> cur(size_t(width + 2) * 3, 0), next(cur.size(), 0);
    for (int y = 0; y < height; ++y) {
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < width; ++x) {
            const UInt32 p = in[size_t(y * width + x)];
            int c[3] = {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
            const size_t e = size_t(x + 1) * 3;
            if (dither)
                for (int k = 0; k < 3; ++k) c[k] = std::clamp(c[k] + cur[e + size_t(k)], 0, 255);
            const RGBColor want{UInt16(c[0] * 257), UInt16(c[1] * 257), UInt16(c[2] * 257)};
            const RGBColor& q = CTabEntries(table)[NearestColorIndex(table, want)].rgb;
            const int qc[3] = {q.red >> 8, q.green >> 8, q.blue >> 8};
            out[size_t(y * width + x)] = UInt32(qc[0] << 16 | qc[1] << 8 | qc[2]);
            for (int k = 0; dither && k < 3; ++k) {
                const int err = c[k] - qc[k];
                cur[e + 3 + size_t(k)] += err * 7 / 16;
                next[e - 3 + size_t(k)] += err * 3 / 16;
                next[e + size_t(k)] += err * 5 / 16;
                next[e + 3 + size_t(k)] += err * 1 / 16;
            }
        }
        std::swap(cur, next);
    }
    return out;
}

class ColorModeTest : public ToolTest {};

TEST_F(ColorModeTest, ReducesToTheTableOrDithersAndUndoes) {
    constexpr int kW = 24, kH = 12;
    struct Mode { SInt16 choice; SInt16 tableID; } modes[] = {{1, 129}, {3, 4}, {5, 1}};
    for (const Mode& m : modes)
        for (bool dither : {false, true}) {
            SCOPED_TRACE(testing::Message() << "choice " << m.choice << " dither " << dither);
            const Doc doc = MakePaint(kW, kH, 0, 24);
            const PixMap& off = MapOf(doc.rec->offPort.get());
            for (int v = 0; v < kH; ++v)  // a colour ramp with mid greys
                for (int h = 0; h < kW; ++h)
                    SetPx(off, h, v, UInt32((h * 11) << 16 | (v * 21) << 8 | ((h * 7 + v * 13) & 0xFF)));
            const Pixels before = AllPixels(doc.rec->offPort.get()), maskBefore = AllPixels(doc.rec->maskPort.get());
            UniqueCTable table(GetCTable(m.tableID));
            const UInt32 used = gUsedCount[kUsedColorMode];

            HandleColorModeChoice(SInt16(m.choice + (dither ? 6 : 0)));
            EXPECT_EQ(AllPixels(doc.rec->offPort.get()), Reference(before, kW, table.get(), dither));
            EXPECT_EQ(AllPixels(doc.rec->maskPort.get()), maskBefore);
            EXPECT_EQ(doc.rec->undoMode, kUndoColorMode);
            EXPECT_EQ(gUsedCount[kUsedColorMode], used + 1);
            if (m.choice == 5 && !dither) {
                for (UInt32 p : AllPixels(doc.rec->offPort.get())) EXPECT_TRUE(p == 0 || p == 0xFFFFFF);
            }
            DoUndo();
            EXPECT_EQ(AllPixels(doc.rec->offPort.get()), before);
            CloseAllDocuments();
        }
    // Choices 0, 6 and 12 name no mode.
    const Doc doc = MakePaint(4, 4, 0, 24);
    for (SInt16 choice : {0, 6, 12}) HandleColorModeChoice(choice);
    EXPECT_EQ(doc.rec->undoMode, kUndoNone);
    Key(kVK_ANSI_1, '!', shiftKey);  // Shift-1: black and white, dithered
    EXPECT_EQ(doc.rec->undoMode, kUndoColorMode);
}

}  // namespace

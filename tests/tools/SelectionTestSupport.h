// Set-up of the selection tests: documents from text pictures, clicks and
// drags of the selection tool with modifiers, and snapshots of every buffer
// and region of a document.
#pragma once

#include "tests/tools/PencilTestSupport.h"

#include "app/Shell.h"
#include "paint/Undo.h"
#include "tools/Selection.h"

#include <string>
#include <vector>

namespace selectiontest {

using namespace penciltest;

// Everything the selection model keeps, in comparable form.
struct Snapshot {
    std::vector<std::string> off, undo, disp, base, mask, undoMask, baseMask;
    std::vector<Rect> selRgn, undoSelRgn, selDispRgn, undoSelDispRgn;
    Rect selRect{};
    Point selOffset{0, 0}, undoSelOffset{0, 0};
    Boolean isFloating = false;
    SInt16 selMode = 0;

    bool operator==(const Snapshot&) const = default;
};

inline std::string RectsText(const std::vector<Rect>& rects) {
    std::string s;
    for (const Rect& r : rects) s += RectText(&r) + " ";
    return s;
}
inline std::string PointText(Point p) { return std::to_string(p.h) + "," + std::to_string(p.v); }

// Field by field, so that a failure names what differs.
inline void ExpectSame(const Snapshot& a, const Snapshot& b) {
    EXPECT_EQ(a.off, b.off) << "offPort";
    EXPECT_EQ(a.undo, b.undo) << "undoPort";
    EXPECT_EQ(a.disp, b.disp) << "dispPort";
    EXPECT_EQ(a.base, b.base) << "basePort";
    EXPECT_EQ(a.mask, b.mask) << "maskPort";
    EXPECT_EQ(a.undoMask, b.undoMask) << "undoMask";
    EXPECT_EQ(a.baseMask, b.baseMask) << "baseMask";
    EXPECT_EQ(RectsText(a.selRgn), RectsText(b.selRgn)) << "selRgn";
    EXPECT_EQ(RectsText(a.undoSelRgn), RectsText(b.undoSelRgn)) << "undoSelRgn";
    EXPECT_EQ(RectsText(a.selDispRgn), RectsText(b.selDispRgn)) << "selDispRgn";
    EXPECT_EQ(RectsText(a.undoSelDispRgn), RectsText(b.undoSelDispRgn)) << "undoSelDispRgn";
    EXPECT_EQ(RectText(&a.selRect), RectText(&b.selRect)) << "selRect";
    EXPECT_EQ(PointText(a.selOffset), PointText(b.selOffset)) << "selOffset";
    EXPECT_EQ(PointText(a.undoSelOffset), PointText(b.undoSelOffset)) << "undoSelOffset";
    EXPECT_EQ(a.isFloating, b.isFloating) << "isFloating";
    EXPECT_EQ(a.selMode, b.selMode) << "selMode";
}

inline Snapshot Snap(PaintWinRec* rec) {
    Snapshot s;
    s.off = Picture(rec->offPort.get());
    s.undo = Picture(rec->undoPort.get());
    s.disp = Picture(rec->dispPort.get());
    s.base = Picture(rec->basePort.get());
    s.mask = BitPicture(MapOf(rec->maskPort.get()));
    s.undoMask = BitPicture(MapOf(rec->undoMask.get()));
    s.baseMask = BitPicture(MapOf(rec->baseMask.get()));
    s.selRgn = RegionRects(rec->selRgn);
    s.undoSelRgn = RegionRects(rec->undoSelRgn);
    s.selDispRgn = RegionRects(rec->selDispRgn);
    s.undoSelDispRgn = RegionRects(rec->undoSelDispRgn);
    s.selRect = rec->selRect;
    s.selOffset = rec->selOffset;
    s.undoSelOffset = rec->undoSelOffset;
    s.isFloating = rec->isFloating;
    s.selMode = rec->selMode;
    return s;
}

inline std::string Bounds(RgnHandle rgn) {
    Rect r;
    GetRegionBounds(rgn, &r);
    return RectText(&r);
}

// A rectangle of the image as the window shows it at 2^ratio.
inline std::string ZoomedText(Rect r, SInt16 ratio) {
    r = Rect{SInt16(r.top << ratio), SInt16(r.left << ratio), SInt16(r.bottom << ratio), SInt16(r.right << ratio)};
    return RectText(&r);
}

class SelectionTest : public StrokeTest {
protected:
    void SetUp() override {
        StrokeTest::SetUp();
        savedTool_ = gSelectedTool;
        gSelectedTool = kSelectionTool;
    }
    void TearDown() override {
        gSelectedTool = savedTool_;
        StrokeTest::TearDown();
    }

    // A document whose image is given as rows; '#' in `mask` is opaque (all
    // opaque when no mask is given).
    static WindowRef MakeDoc(const std::vector<std::string>& image, SInt16 ratio = 0,
                             const std::vector<std::string>& mask = {}) {
        const int w = int(image.at(0).size()), h = int(image.size());
        WindowRef win = MakePaint(w, h, ratio);
        EXPECT_NE(win, nullptr);
        if (!win) return nullptr;
        PaintWinRec* rec = GetPaintWinRec(win);
        const PixMap& off = MapOf(rec->offPort.get());
        const PixMap& msk = MapOf(rec->maskPort.get());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                WritePixel(off, x, y, ColorOf(image[size_t(y)][size_t(x)]));
                const bool opaque = mask.empty() || mask[size_t(y)][size_t(x)] == '#';
                UInt8& byte = PixRow(msk, y)[x >> 3];
                const UInt8 bit = UInt8(0x80 >> (x & 7));
                byte = opaque ? UInt8(byte | bit) : UInt8(byte & ~bit);
            }
        RectRgn(rec->updateRgn, &rec->picRect);
        DispOffPort(win);
        RunPendingEvents();
        return win;
    }

    // A press of the selection tool at the first window point, the pointer
    // passing the others, released at the last; modifiers held throughout.
    static void SelectDrag(WindowRef w, const std::vector<Point>& localPts, EventModifiers mods = 0) {
        PlayPress(w, localPts, mods, [&](Point start) {
            DoSelect(w, start, (mods & shiftKey) != 0, (mods & optionKey) != 0, (mods & cmdKey) != 0);
        });
    }
    static void SelectPixels(WindowRef w, const std::vector<std::pair<int, int>>& pixels, EventModifiers mods = 0) {
        std::vector<Point> pts;
        for (auto [x, y] : pixels) pts.push_back(Local(w, x, y));
        SelectDrag(w, pts, mods);
    }
    // A marquee from pixel (x0, y0) to the pointer at pixel (x1, y1).
    static void Marquee(WindowRef w, int x0, int y0, int x1, int y1, EventModifiers mods = 0) {
        SelectPixels(w, {{x0, y0}, {x1, y1}}, mods);
    }
    // A key through the program's event route.
    static void Key(UInt8 keyCode, UInt8 charCode, EventModifiers mods = 0) {
        ScriptKey(keyCode, charCode, mods);
        RunPendingEvents();
    }

private:
    SInt16 savedTool_ = 0;
};

}  // namespace selectiontest

// Set-up of the stroke tests: scripted strokes on real paint windows and
// text pictures of a document's buffers.
#pragma once

#include "tests/paint/PaintWindowTestSupport.h"

#include "image/Colors.h"
#include "platform/raster/Pen.h"
#include "tools/Tools.h"

#include <string>
#include <vector>

namespace penciltest {

using namespace painttest;
using namespace pixelart;

using ToolProc = void (*)(WindowRef, Point, Boolean);

class StrokeTest : public PaintWindowTest {
protected:
    void SetUp() override {
        PaintWindowTest::SetUp();
        savedCurrent_ = gCurrentColor;
        savedBack_ = gBackColor;
        savedPrev_ = gPrevColor;
        savedRatio_ = gBlendRatio;
        savedMode_ = gBlendMode;
        savedPen_ = {gPenWidth, gPenHeight, gEraserWidth, gEraserHeight, gSelectedTool, gBSelectedItem};
        gCurrentColor = ColorRec{kBlack, 0};
        gBackColor = ColorRec{kWhite, 0};
        gBlendMode = 0;
        gPenWidth = gPenHeight = gEraserWidth = gEraserHeight = 1;
    }
    void TearDown() override {
        gCurrentColor = savedCurrent_;
        gBackColor = savedBack_;
        gPrevColor = savedPrev_;
        gBlendRatio = savedRatio_;
        gBlendMode = savedMode_;
        gPenWidth = savedPen_[0];
        gPenHeight = savedPen_[1];
        gEraserWidth = savedPen_[2];
        gEraserHeight = savedPen_[3];
        gSelectedTool = savedPen_[4];
        gBSelectedItem = savedPen_[5];
        PaintWindowTest::TearDown();
    }

    // The window point inside image pixel (x, y).
    static Point Local(WindowRef w, int x, int y) {
        const SInt16 r = GetPaintWinRec(w)->ratio;
        const int inside = r > 0 ? 1 : 0;
        return Point{SInt16((y << r) + inside), SInt16((x << r) + inside)};
    }
    static Point Global(WindowRef w, Point local) {
        const Rect content = Content(w), port = Port(w);
        return Point{SInt16(content.top + local.v - port.top), SInt16(content.left + local.h - port.left)};
    }
    // The button goes down at the first window point, the mouse passes the
    // others and the button comes up at the last; then `track` runs the
    // tool's tracking from the first point, as the click dispatch would.
    template <class Track>
    static void PlayPress(WindowRef w, const std::vector<Point>& localPts, EventModifiers mods, Track track) {
        ScriptMouseDown(Global(w, localPts.front()), mods);
        EventRecord ev;
        for (int i = 0; i < 200 && !GetNextEvent(mDownMask, &ev); ++i) WaitNextEvent(0, &ev, 1, nullptr);
        // Each position is held for a moment so that the tracking loop sees it.
        for (size_t i = 1; i < localPts.size(); ++i) {
            ScriptMouseMove(Global(w, localPts[i]), mods);
            ScriptWait(2);
        }
        ScriptMouseUp(Global(w, localPts.back()), mods);
        track(localPts.front());
        FlushEvents(mUpMask, 0);
    }
    // A stroke through window points.
    static void Drag(WindowRef w, const std::vector<Point>& localPts, ToolProc tool, Boolean shift = false,
                     EventModifiers mods = 0) {
        PlayPress(w, localPts, mods, [&](Point start) { tool(w, start, shift); });
    }
    // A stroke through image pixels.
    static void DragPixels(WindowRef w, const std::vector<std::pair<int, int>>& pixels, ToolProc tool,
                           Boolean shift = false) {
        std::vector<Point> pts;
        for (auto [x, y] : pixels) pts.push_back(Local(w, x, y));
        Drag(w, pts, tool, shift);
    }

    static std::vector<std::string> Image(WindowRef w) { return Picture(GetPaintWinRec(w)->offPort.get()); }
    static std::vector<std::string> Mask(WindowRef w) {
        return BitPicture(MapOf(GetPaintWinRec(w)->maskPort.get()));
    }
    // Fills the image from text rows ('.' white ...) and makes every pixel opaque.
    static void Fill(WindowRef w, const std::vector<std::string>& rows) {
        PaintWinRec* rec = GetPaintWinRec(w);
        const PixMap& off = MapOf(rec->offPort.get());
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x) WritePixel(off, int(x), int(y), ColorOf(rows[y][x]));
        SavedGWorld saved;
        SetGWorld(rec->maskPort.get(), nullptr);
        RGBForeColor(&rgbBlackColor);
        PaintRect(&rec->picRect);
        RectRgn(rec->updateRgn, &rec->picRect);
        DispOffPort(w);
    }

private:
    ColorRec savedCurrent_, savedBack_, savedPrev_;
    RGBColor savedRatio_;
    SInt16 savedMode_ = 0;
    std::vector<SInt16> savedPen_;
};

}  // namespace penciltest

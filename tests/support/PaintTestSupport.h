// Fixtures of the tests that work on paint documents: a 1024 x 768 desktop
// with the application's resources, menus and palettes and nobody to answer
// dialogs; documents made from text pictures ('.' white, '#' black, 'r', 'g',
// 'b'; in masks '#' is opaque); scripted presses of the tools; and text
// pictures of what a document holds and what its window shows.
#pragma once

#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scripting.h"
#include "tests/platform/raster/PixelArt.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace painttest {

using namespace pixelart;
using Rows = std::vector<std::string>;

// A document's buffers without a window: white and transparent.
inline std::unique_ptr<PaintWinRec> MakeBuffers(int width, int height, SInt16 depth, SInt16 ratio = 0) {
    auto rec = std::make_unique<PaintWinRec>();
    rec->picRect = MakeRect(0, 0, height, width);
    rec->ratio = ratio;
    rec->depth = rec->colorMode = depth;
    EXPECT_EQ(MakePaintBuffers(rec.get()), noErr);
    return rec;
}

inline void CloseAllDocuments() {
    for (;;) {
        WindowRef doc = nullptr;
        for (WindowRef w = GetWindowList(); w && !doc; w = GetNextWindow(w))
            if (IsDocumentWindowKind(GetExtWindowKind(w))) doc = w;
        if (!doc) break;
        if (PaintWinRec* rec = GetPaintWinRec(doc)) rec->isDirty = false;
        if (GetExtWindowKind(doc) != kPaintWindowKind || ClosePaintWindow(doc, true) != noErr) DisposeWindow(doc);
    }
}

inline std::string Title(WindowRef w) {
    Str255 t;
    GetWTitle(w, t);
    return PStringToStd(t);
}

// Whether a menu item carries a check mark; the items that do; whether an
// item is enabled; its text.
inline bool IsChecked(MenuID id, MenuItemIndex item) {
    UInt16 mark = noMark;
    GetItemMark(GetMenuHandle(id), item, &mark);
    return mark == checkMark;
}
inline std::vector<int> Marked(MenuID id) {
    std::vector<int> items;
    for (MenuItemIndex i = 1; i <= CountMenuItems(GetMenuHandle(id)); ++i)
        if (IsChecked(id, i)) items.push_back(i);
    return items;
}
inline Boolean Enabled(MenuID id, MenuItemIndex item) { return IsMenuItemEnabled(GetMenuHandle(id), item); }
inline std::string ItemText(MenuID id, MenuItemIndex item) {
    Str255 text;
    GetMenuItemText(GetMenuHandle(id), item, text);
    return PStringToStd(text);
}

// A visible document window of `kind` with no paint record, its content's
// top-left at (left, top).
inline WindowRef MakePlainWindow(SInt16 kind, const char* title, SInt16 left = 300, SInt16 top = 200) {
    const Rect bounds{top, left, SInt16(top + 150), SInt16(left + 200)};
    Str255 t;
    CopyCStringToPascal(title, t);
    WindowRef w = NewCWindow(nullptr, &bounds, t, true, documentProc, kFirstWindowOfClass, true, nullptr);
    SetExtWindowKind(w, kind);
    return w;
}

// '#' for every pixel of (0, 0, w, h) inside the region.
inline Rows RegionPicture(RgnHandle rgn, int w, int h) {
    Rows rows(size_t(h), std::string(size_t(w), '.'));
    for (int v = 0; v < h; ++v)
        for (int x = 0; x < w; ++x)
            if (PtInRgn(Point{SInt16(v), SInt16(x)}, rgn)) rows[size_t(v)][size_t(x)] = '#';
    return rows;
}

// The '#' pixels of the rows as a region.
inline UniqueRgn RegionOf(const Rows& rows) {
    UniqueRgn all;
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t x = 0; x < rows[v].size(); ++x)
            if (rows[v][x] == '#') {
                UniqueRgn one;
                SetRectRgn(one, SInt16(x), SInt16(v), SInt16(x + 1), SInt16(v + 1));
                UnionRgn(all, one, all);
            }
    return all;
}

// Overwrites maskPort with the rows.
inline void SetMaskRows(PaintWinRec* rec, const Rows& rows) {
    const PixMap& pm = MapOf(rec->maskPort.get());
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t x = 0; x < rows[v].size(); ++x) {
            UInt8& byte = PixRow(pm, int(v))[x >> 3];
            const UInt8 bit = UInt8(0x80 >> (x & 7));
            byte = rows[v][x] == '#' ? UInt8(byte | bit) : UInt8(byte & ~bit);
        }
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

// Everything a user can see or act on next: the buffers, the selection, and
// the base under the selection while one floats.
inline std::string State(WindowRef w) {
    PaintWinRec* rec = GetPaintWinRec(w);
    std::ostringstream out;
    auto rows = [&](const char* what, const Rows& r) {
        out << what << ":\n";
        for (const std::string& line : r) out << "  " << line << "\n";
    };
    auto region = [&](const char* what, RgnHandle rgn) {
        out << what << ":";
        for (const Rect& r : RegionRects(rgn)) out << " " << RectText(&r);
        out << "\n";
    };
    rows("image", Picture(rec->offPort.get()));
    rows("mask", BitPicture(MapOf(rec->maskPort.get())));
    rows("shown", Picture(rec->dispPort.get()));
    out << "floating " << int(rec->isFloating) << " mode " << rec->selMode << " acting on " << RectText(&rec->selRect)
        << "\n";
    region("selection", rec->selRgn);
    region("outline", rec->selDispRgn);
    if (rec->isFloating) {
        out << "offset " << rec->selOffset.h << "," << rec->selOffset.v << "\n";
        rows("base", Picture(rec->basePort.get()));
        rows("base mask", BitPicture(MapOf(rec->baseMask.get())));
    }
    return out.str();
}

// The window's image area against the zoomed picture, pixel by pixel, except
// where an update is still owed.
inline void ExpectWindowShowsImage(WindowRef w, RgnHandle except = nullptr) {
    UniqueGWorld image(MakePaintImage(GetPaintWinRec(w), nullptr));
    ASSERT_TRUE(image);
    const PixMap& want = MapOf(image.get());
    const PixMap& got = **GetPortPixMap(GetWindowPort(w));
    Rect port;
    GetWindowPortBounds(w, &port);
    int wrong = 0;
    for (int v = port.top; v < port.bottom - 15; ++v)
        for (int h = port.left; h < port.right - 15; ++h) {
            if (except && PtInRgn(Point{SInt16(v), SInt16(h)}, except)) continue;
            if (!(ReadPixel(got, h, v) == ReadPixel(want, h, v)) && ++wrong <= 5)
                ADD_FAILURE() << "window pixel " << h << "," << v;
        }
    EXPECT_EQ(wrong, 0);
}

// A paint window and its record: `auto [w, rec] = MakeDoc(...)`, or a
// WindowRef alone.
struct Doc {
    WindowRef w;
    PaintWinRec* rec;
    operator WindowRef() const { return w; }
};

class PaintWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitWindows(1024, 768), noErr);
        SetUnattended(true);
        if (GetApplicationResFile() == kResFileNotOpen) {
            ASSERT_EQ(OpenApplicationResources(), noErr);
            gApplRefNum = GetApplicationResFile();
            InitConstants();
            InitGlobals();
            MenuBarInit();
            ToolWindowInit();
        }
    }
    void SetUp() override {
        CloseAllDocuments();
        ClearScript();
        ResetScriptLog();
        gToolPrefs.gridSetting = 1;
    }
    void TearDown() override {
        CloseAllDocuments();
        ClearScript();
        gToolPrefs = savedTools_;
        gPaintWinPrefs = savedPaint_;
    }
    static Rect Content(WindowRef w) {
        Rect r;
        GetWindowBounds(w, kWindowContentRgn, &r);
        return r;
    }
    static Rect Port(WindowRef w) {
        Rect r;
        GetWindowPortBounds(w, &r);
        return r;
    }
    // Lets queued Qt work and scripted input play out.
    static void Settle() {
        EventRecord ev;
        for (int i = 0; i < 200 && ScriptPending(); ++i) WaitNextEvent(0, &ev, 1, nullptr);
        WaitNextEvent(0, &ev, 0, nullptr);
    }
    static Doc MakePaint(int width, int height, SInt16 ratio, SInt16 depth = 24) {
        const Rect r = MakeRect(0, 0, height, width);
        WindowRef w = MakePaintWindow(&r, ratio, depth);
        return {w, GetPaintWinRec(w)};
    }

private:
    ToolPrefs savedTools_ = gToolPrefs;
    PaintWinPrefs savedPaint_ = gPaintWinPrefs;
};

// The tools' globals as a test found them, given back when it ends.
struct SavedToolGlobals {
    ColorRec current = gCurrentColor, back = gBackColor, prev = gPrevColor;
    RGBColor ratio = gBlendRatio;
    SInt16 mode = gBlendMode, tool = gSelectedTool, blendItem = gBSelectedItem, pattern = gPatternNo;
    SInt16 pen[4] = {gPenWidth, gPenHeight, gEraserWidth, gEraserHeight};
    std::array<UInt8, 8> other = gOtherPrefs;
    ~SavedToolGlobals() {
        gCurrentColor = current, gBackColor = back, gPrevColor = prev, gBlendRatio = ratio, gBlendMode = mode;
        gSelectedTool = tool, gBSelectedItem = blendItem, gPatternNo = pattern, gOtherPrefs = other;
        gPenWidth = pen[0], gPenHeight = pen[1], gEraserWidth = pen[2], gEraserHeight = pen[3];
    }
};

// Tools on real paint windows: black on white, 1 x 1 footprints, the small
// patterns' first.
class ToolTest : public PaintWindowTest {
protected:
    using ToolProc = void (*)(WindowRef, Point, Boolean);

    void SetUp() override {
        PaintWindowTest::SetUp();
        gCurrentColor = ColorRec{kBlack, 0};
        gBackColor = ColorRec{kWhite, 0};
        gBlendMode = 0;
        gPenWidth = gPenHeight = gEraserWidth = gEraserHeight = 1;
        gPatternNo = 1;
        gOtherPrefs[kOtherLargePatterns] = 0;
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
    static std::vector<Point> Points(WindowRef w, const std::vector<std::pair<int, int>>& pixels) {
        std::vector<Point> pts;
        for (auto [x, y] : pixels) pts.push_back(Local(w, x, y));
        return pts;
    }
    // A stroke through image pixels.
    static void DragPixels(WindowRef w, const std::vector<std::pair<int, int>>& pixels, ToolProc tool,
                           Boolean shift = false) {
        Drag(w, Points(w, pixels), tool, shift);
    }
    // A press of the selection tool through window points, modifiers held throughout.
    static void SelectDrag(WindowRef w, const std::vector<Point>& localPts, EventModifiers mods = 0) {
        PlayPress(w, localPts, mods, [&](Point start) {
            DoSelect(w, start, (mods & shiftKey) != 0, (mods & optionKey) != 0, (mods & cmdKey) != 0);
        });
    }
    static void SelectPixels(WindowRef w, const std::vector<std::pair<int, int>>& pixels, EventModifiers mods = 0) {
        SelectDrag(w, Points(w, pixels), mods);
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
    // Lifts the '#' pixels as a marquee does: the old shape saved, undo recorded.
    static void Lift(WindowRef w, const Rows& rows) {
        UpdatePSRgn(GetPaintWinRec(w));
        ASSERT_EQ(GoOffPort(w), noErr);
        DoSelectMain(w, RegionOf(rows));
    }

    static Rows Image(PaintWinRec* rec) { return Picture(rec->offPort.get()); }
    static Rows Image(WindowRef w) { return Image(GetPaintWinRec(w)); }
    static Rows Mask(PaintWinRec* rec) { return BitPicture(MapOf(rec->maskPort.get())); }
    static Rows Mask(WindowRef w) { return Mask(GetPaintWinRec(w)); }
    static Rows Shown(WindowRef w) { return Picture(GetPaintWinRec(w)->dispPort.get()); }
    static Rows Selected(WindowRef w) {
        PaintWinRec* rec = GetPaintWinRec(w);
        return RegionPicture(rec->selRgn, RectWidth(rec->picRect), RectHeight(rec->picRect));
    }

    // Gives the image the rows; the mask rows, when given, say which pixels
    // are opaque (else all are).
    static void Fill(WindowRef w, const Rows& rows, const Rows& mask = {}) {
        PaintWinRec* rec = GetPaintWinRec(w);
        const PixMap& off = MapOf(rec->offPort.get());
        for (size_t y = 0; y < rows.size(); ++y)
            for (size_t x = 0; x < rows[y].size(); ++x) WritePixel(off, int(x), int(y), ColorOf(rows[y][x]));
        SetMaskRows(rec, mask.empty() ? Rows(rows.size(), std::string(rows[0].size(), '#')) : mask);
        RectRgn(rec->updateRgn, &rec->picRect);
        DispOffPort(w);
    }
    static Doc MakeDoc(const Rows& image, SInt16 ratio = 0, const Rows& mask = {}, SInt16 depth = 24) {
        const Doc doc = MakePaint(int(image.at(0).size()), int(image.size()), ratio, depth);
        EXPECT_NE(doc.w, nullptr);
        if (!doc.w) return doc;
        Fill(doc.w, image, mask);
        RunPendingEvents();
        return doc;
    }

private:
    SavedToolGlobals saved_;
};

// The colour tools' tests paint red.
class ColorToolTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        gCurrentColor = ColorRec{kRed, 0};
    }
};

class SelectionTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        gSelectedTool = kSelectionTool;
    }
};

}  // namespace painttest

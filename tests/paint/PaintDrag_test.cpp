// Drags out of and drops onto paint windows, through the drag layer's
// router as the window system's drags go.
#include "paint/PaintDrag.h"

#include "platform/raster/ColorTables.h"
#include "platform/ui/Drag.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/Peers.h"

#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <filesystem>

using namespace painttest;

namespace {

class PaintDragTest : public ToolTest {
protected:
    void TearDown() override {
        SetTrackDragScript({});
        ToolTest::TearDown();
    }
    // A global point inside image pixel (x, y).
    static Point At(WindowRef w, int x, int y) { return Global(w, Local(w, x, y)); }
    static std::vector<std::pair<std::string, std::vector<UInt8>>> Files(const std::vector<std::string>& paths) {
        std::string list;
        for (const std::string& p : paths) list += QUrl::fromLocalFile(QString::fromStdString(p)).toEncoded().toStdString() + "\r\n";
        return {{"text/uri-list", std::vector<UInt8>(list.begin(), list.end())}};
    }
    // The floating pixels as rows of characters.
    static Rows Floating(PaintWinRec* rec) {
        Rows rows;
        const PixMap& off = MapOf(rec->offPort.get());
        for (int v = rec->selRect.top; v < rec->selRect.bottom; ++v) {
            rows.emplace_back();
            for (int h = rec->selRect.left; h < rec->selRect.right; ++h) rows.back() += CharOf(ReadPixel(off, h, v));
        }
        return rows;
    }
    static Rows Rgb(const QImage& image) {
        Rows rows;
        for (int y = 0; y < image.height(); ++y) {
            rows.emplace_back();
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                rows.back() += CharOf(RGBColor{UInt16(qRed(p) * 257), UInt16(qGreen(p) * 257), UInt16(qBlue(p) * 257)});
            }
        }
        return rows;
    }
};

TEST_F(PaintDragTest, SelectionDragsOutAsPngAndDropsOnlyIntoOtherWindows) {
    const Doc other = MakeDoc(Rows(6, std::string(8, '.')));
    const Doc source = MakeDoc({"......", ".rgb#.", ".#bgr.", "......"});
    Lift(source, {"......", ".####.", ".####.", "......"});
    const Rows lifted = {"rgb#", "#bgr"};
    ASSERT_EQ(Floating(source.rec), lifted);
    const std::string before = State(source);

    OSErr ownWindow = noErr, otherWindow = noErr;
    std::vector<Rect> hilite;
    SetTrackDragScript([&](DragRef drag, QMimeData* offered) {
        EXPECT_EQ(Rgb(QImage::fromData(offered->data("image/png"), "PNG")), lifted);
        const QList<QUrl> urls = offered->urls();
        EXPECT_EQ(urls.size(), 1);
        if (urls.size() == 1) {
            EXPECT_EQ(Rgb(QImage(urls[0].toLocalFile(), "PNG")), lifted);
        }
        ScriptDragMove(drag, At(source, 2, 1), 0);
        EXPECT_TRUE(DragHiliteRects(drag).empty());
        ownWindow = ScriptDragDrop(drag, At(source, 2, 1), 0);
        ScriptDragMove(drag, At(other, 1, 1), 0);
        hilite = DragHiliteRects(drag);
        otherWindow = ScriptDragDrop(drag, At(other, 1, 1), 0);
        return otherWindow;
    });
    SelectWindow(source);
    gSelectedTool = kSelectionTool;
    EventRecord click;
    click.what = mouseDown;
    click.where = At(source, 2, 1);
    click.modifiers = cmdKey;
    ClickPaintWindow(source, Local(source, 2, 1), &click);

    EXPECT_EQ(ownWindow, dragNotAcceptedErr);
    EXPECT_EQ(otherWindow, noErr);
    EXPECT_EQ(State(source), before);
    // The image area of the window under the drag was framed inside.
    EXPECT_FALSE(hilite.empty());
    // Pasted where it floats in its own window, in the window behind, which
    // stays behind with the paste as its undo mode.
    EXPECT_TRUE(other.rec->isFloating);
    EXPECT_EQ(Floating(other.rec), lifted);
    EXPECT_EQ(RectText(&other.rec->selRect), RectText(&source.rec->selRect));
    EXPECT_EQ(other.rec->undoMode, kUndoPaste);
    EXPECT_EQ(FrontDocumentWindow(), source.w);
}

TEST_F(PaintDragTest, DroppedIconFilesPasteTheir32By32Member) {
    TempFolder dir;
    const std::string data = KORVEL_TEST_DATA;
    // A Windows icon named in capitals, whose type says nothing.
    const std::string ico = dir / "MAGICK.ICO";
    std::filesystem::copy_file(data + "/ico/magick-8-1.ico", ico);
    const std::string icns = data + "/icns/classic.icns";

    // References: Pillow's decoding of the icon's 32 x 32 entry (opaque
    // pixels), and the family's 'icl8' bytes through the standard table.
    std::vector<unsigned char> rgba, icl8;
    ASSERT_TRUE(RunCapture(Python() + " -c \"import sys; from PIL import IcoImagePlugin as I\n"
                           "f=I.IcoFile(open('" + ico + "','rb'))\n"
                           "sys.stdout.buffer.write(f.getimage((32,32)).convert('RGBA').tobytes())\"", rgba));
    ASSERT_TRUE(RunCapture(Python() + " -c \"import sys,struct\nd=open('" + icns + "','rb').read(); at=8\n"
                           "while at < len(d):\n k,n=struct.unpack('>4sI',d[at:at+8])\n"
                           " if k==b'icl8': sys.stdout.buffer.write(d[at+8:at+n])\n at+=n\"", icl8));
    ASSERT_EQ(rgba.size(), 32u * 32 * 4);
    ASSERT_EQ(icl8.size(), 32u * 32);
    const ColorSpec* clut = CTabEntries(StandardCTable(8));

    for (const std::string& path : {ico, icns}) {
        SCOPED_TRACE(path);
        const Doc doc = MakeDoc(Rows(40, std::string(40, '.')));
        ASSERT_EQ(ScriptForeignDrop(Files({path}), At(doc, 20, 20), 0), noErr);
        ASSERT_TRUE(doc.rec->isFloating);
        ASSERT_EQ(RectWidth(doc.rec->selRect), 32);
        ASSERT_EQ(RectHeight(doc.rec->selRect), 32);
        const PixMap& off = MapOf(doc.rec->offPort.get());
        int wrong = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const size_t i = size_t(y * 32 + x);
                RGBColor want = clut[icl8[i]].rgb;
                if (path == ico) {
                    if (rgba[4 * i + 3] != 255) continue;
                    want = RGBColor{UInt16(rgba[4 * i] * 257), UInt16(rgba[4 * i + 1] * 257),
                                    UInt16(rgba[4 * i + 2] * 257)};
                }
                const RGBColor got = ReadPixel(off, doc.rec->selRect.left + x, doc.rec->selRect.top + y);
                if (!(got == want) && ++wrong <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(doc.rec->undoMode, kUndoPaste);
    }

    // Two files at once are refused: the window is as it was.
    const Doc doc = MakeDoc(Rows(40, std::string(40, '.')));
    const std::string before = State(doc);
    EXPECT_EQ(ScriptForeignDrop(Files({ico, icns}), At(doc, 20, 20), 0), dragNotAcceptedErr);
    EXPECT_EQ(State(doc), before);
}

}  // namespace

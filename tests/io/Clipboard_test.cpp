// The clipboard of paint windows: pictures pasted as floating selections
// with their outline and mask, the edit commands, and pictures other
// programs put on the clipboard.
#include "tests/support/PaintTestSupport.h"

#include "app/Alerts.h"
#include "io/Clipboard.h"
#include "platform/codecs/PngCodec.h"
#include "platform/core/Memory.h"
#include "platform/ui/Events.h"
#include "platform/ui/Scrap.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <span>
#include <filesystem>
#include <fstream>

using namespace painttest;

namespace {

// An L-shaped selection with a transparent pixel, lifted from an 8 x 6
// document and moved by (1, 1).
const Rows kSource = {"........", ".rg#....", ".bbr....", ".#g.....", "........", "........"};
const Rows kSourceMask = {"########", "########", "###.####", "########", "########", "########"};
const Rows kShape = {"........", ".###....", ".###....", ".##.....", "........", "........"};

Rows Blank(int width, int height) { return Rows(size_t(height), std::string(size_t(width), '.')); }

QByteArray ClipboardBytes(const char* mime) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? data->data(QString::fromLatin1(mime)) : QByteArray();
}

// '#' where the PNG's pixels are opaque.
Rows AlphaRows(const RgbaImage& image) {
    Rows rows(size_t(image.height), std::string(size_t(image.width), '.'));
    for (int i = 0; i < image.width * image.height; ++i)
        if (image.pixels[size_t(i) * 4 + 3] >= 128) rows[size_t(i / image.width)][size_t(i % image.width)] = '#';
    return rows;
}

RgbaImage Decoded(std::span<const UInt8> png) {
    RgbaImage image;
    std::string why;
    EXPECT_EQ(DecodePngRgba(png, 1 << 20, &image, &why), noErr) << why;
    return image;
}

std::string BoundsOf(const UniqueGWorld& g) { return RectText(std::array{GWorldBounds(g.get())}.data()); }

}  // namespace

class ClipboardTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        // The process that pastes what another program serves keeps that.
        if (!std::getenv("KORVEL_SERVED_PNG")) QGuiApplication::clipboard()->clear();
    }
    // A document holding kSource with the selection lifted and moved.
    Doc LiftedSource(SInt16 depth = 24) {
        const Doc doc = MakeDoc(kSource, 0, kSourceMask, depth);
        Lift(doc.w, kShape);
        MoveSelection(doc.w, 1, 1, true);
        return doc;
    }
    void ExpectServedPngPasted(const char* path);
    // A red document with the rectangle (left, top)-(right, bottom) lifted.
    Doc LiftedRect(int width, int height, int left, int top, int right, int bottom) {
        const Doc doc = MakeDoc(Rows(size_t(height), std::string(size_t(width), 'r')));
        Rows shape = Blank(width, height);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) shape[size_t(y)][size_t(x)] = '#';
        Lift(doc.w, shape);
        return doc;
    }
};

TEST_F(ClipboardTest, CopyThenPasteKeepsOutlineMaskAndPixels) {
    LiftedSource();
    DoCopy();
    // Other programs get the selection's pixels with its mask and outline as alpha.
    const QByteArray encoded = ClipboardBytes("image/png");
    const RgbaImage png = Decoded({reinterpret_cast<const UInt8*>(encoded.data()), size_t(encoded.size())});
    EXPECT_EQ(AlphaRows(png), (Rows{"###", "##.", "##."}));
    EXPECT_EQ((std::vector<UInt8>(png.pixels.begin(), png.pixels.begin() + 8)),
              (std::vector<UInt8>{0xFF, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF}));

    const Doc target = MakeDoc(Blank(6, 5));
    DoPaste();
    PaintWinRec* rec = target.rec;
    EXPECT_TRUE(rec->isFloating && rec->isDirty);
    EXPECT_EQ(rec->undoMode, kUndoPaste);
    EXPECT_EQ(RectText(&rec->selRect), "1,1,4,4");  // where the pixels were lifted from
    EXPECT_EQ(Selected(target.w), (Rows{"......", ".###..", ".###..", ".##...", "......"}));
    EXPECT_EQ(Mask(target.w), (Rows{"......", ".###..", ".##...", ".##...", "......"}));
    EXPECT_EQ(Shown(target.w), (Rows{"......", ".rg#..", ".bb...", ".#g...", "......"}));
    EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), Rows(5, std::string(6, '#')));  // the mask under it

    DoUndo();
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(Image(target.w), Blank(6, 5));
}

TEST_F(ClipboardTest, LargePictureGrowsTheBuffersAndClearShrinksThem) {
    LiftedRect(10, 8, 0, 0, 10, 8);
    DoCopy();
    const Doc target = MakeDoc(Blank(4, 3));
    DoPaste();
    EXPECT_EQ(BoundsOf(target.rec->offPort) + " " + BoundsOf(target.rec->maskPort), "0,0,8,10 0,0,8,10");
    EXPECT_EQ(Shown(target.w), Rows(3, "rrrr"));

    DoDelete(false);
    EXPECT_EQ(BoundsOf(target.rec->offPort) + " " + BoundsOf(target.rec->maskPort), "0,0,3,4 0,0,3,4");
    EXPECT_TRUE(!target.rec->isFloating && target.rec->undoMode == kUndoDelete);
    EXPECT_EQ(Shown(target.w), Blank(4, 3));

    // A frame wholly outside the image is pasted at its top-left corner.
    CloseAllDocuments();
    LiftedRect(12, 12, 8, 9, 11, 11);
    DoCopy();
    const Doc small = MakeDoc(Blank(4, 4));
    DoPaste();
    EXPECT_EQ(RectText(&small.rec->selRect), "0,0,2,3");
    EXPECT_EQ(BoundsOf(small.rec->offPort), "0,0,4,4");
    EXPECT_EQ(Shown(small.w), (Rows{"rrr.", "rrr.", "....", "...."}));
}

TEST_F(ClipboardTest, SelectAllStopsWhenDroppingAGrownPasteFails) {
    LiftedRect(10, 8, 0, 0, 10, 8);
    DoCopy();
    const Doc doc = MakeDoc(Rows(3, "gggg"));
    DoPaste();
    ASSERT_EQ(GoOffPort(doc.w), noErr);  // the undo copy at the grown size: only the shrinking fails
    RunPendingEvents();
    const std::string before = State(doc.w);
    const std::vector<UInt8> port = Bytes(GetWindowPort(doc.w));
    ResetScriptLog();
    doc.rec->depth = 3;  // no buffer can be made at this depth, as for want of memory
    SelectWholePicture(doc.w);
    doc.rec->depth = 24;
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{kErrorAlertID}));
    EXPECT_EQ(SysBeepCount(), 0u);
    EXPECT_EQ(State(doc.w), before);
    EXPECT_EQ(Bytes(GetWindowPort(doc.w)), port);  // the marquee is back
}

TEST_F(ClipboardTest, CopyAddsTheSixIconFlavoursWhenThePreferencesAskForThem) {
    for (UInt8 wanted : {UInt8(0), UInt8(1)}) {
        gOtherPrefs[kOtherIconFlavoursOnCopy] = wanted;
        LiftedSource();
        DoCopy();
        std::string flavours;  // each with its size, but for the picture's
        for (const QString& format : QGuiApplication::clipboard()->mimeData()->formats())
            if (format.startsWith(QLatin1String("application/x-korvel-")) && !format.endsWith(QLatin1String("PICT")))
                flavours += format.mid(21).toStdString() + ":" +
                            std::to_string(ClipboardBytes(format.toLatin1().constData()).size()) + " ";
        EXPECT_FALSE(ClipboardBytes("application/x-korvel-PICT").isEmpty());
        EXPECT_EQ(flavours, wanted ? "icl8:1024 icl4:512 ICN%23:256 ics8:256 ics4:128 ics%23:64 " : "");
        CloseAllDocuments();
    }
}

TEST_F(ClipboardTest, DuplicateStampsTheSelectionAndMovesTheCopyByThree) {
    const Doc doc = MakeDoc(Blank(7, 6));
    Fill(doc.w, {".......", ".rg....", ".b#....", ".......", ".......", "......."});
    Lift(doc.w, {".......", ".##....", ".##....", ".......", ".......", "......."});
    DoDuplicate();
    EXPECT_EQ(doc.rec->undoMode, kUndoDuplicate);
    EXPECT_EQ(Bounds(doc.rec->selRgn), "4,4,6,6");
    EXPECT_EQ(Shown(doc.w), (Rows{".......", ".rg....", ".b#....", ".......", "....rg.", "....b#."}));
    EXPECT_EQ(Picture(doc.rec->basePort.get()), (Rows{".......", ".rg....", ".b#....", ".......", ".......", "......."}));
    DoUndo();
    EXPECT_EQ(Bounds(doc.rec->selRgn), "1,1,3,3");
    EXPECT_EQ(Shown(doc.w), (Rows{".......", ".rg....", ".b#....", ".......", ".......", "......."}));
}

TEST_F(ClipboardTest, DeleteKeyClearsAndOptionDeleteFillsWithTheCurrentColour) {
    const Doc doc = MakeDoc({"rrrr", "rrrr", "rrrr"});
    Lift(doc.w, {"....", ".##.", "...."});
    gCurrentColor = ColorRec{kBlue, 0};
    Key(kVK_Delete, kBackspaceCharCode, optionKey);
    EXPECT_TRUE(doc.rec->isFloating && doc.rec->undoMode == kUndoTone);
    EXPECT_EQ(Shown(doc.w), (Rows{"rrrr", "rbbr", "rrrr"}));
    EXPECT_EQ(Mask(doc.w), (Rows{"....", ".##.", "...."}));
    // A transparent colour makes the selection's rectangle transparent.
    gCurrentColor = ColorRec{kBlack, 1};
    Key(kVK_Delete, kBackspaceCharCode, optionKey);
    EXPECT_EQ(Mask(doc.w), Blank(4, 3));

    Key(kVK_Delete, kBackspaceCharCode);
    EXPECT_TRUE(!doc.rec->isFloating && doc.rec->undoMode == kUndoDelete);
    EXPECT_EQ(Shown(doc.w), (Rows{"rrrr", "r..r", "rrrr"}));
}

TEST_F(ClipboardTest, NewFromClipboardOpensThePictureAsAnUntitledDocument) {
    OpenClipboard();  // an empty clipboard: nothing, and no word
    EXPECT_TRUE(FrontDocumentWindow() == nullptr && SysBeepCount() == 0);
    for (SInt16 depth : {SInt16(24), SInt16(8)}) {
        LiftedSource(depth);
        DoCopy();
        OpenClipboard();
        PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
        EXPECT_EQ(RectText(&rec->picRect), "0,0,3,3");
        EXPECT_EQ(rec->depth, depth);
        EXPECT_FALSE(rec->isDirty || rec->hasFile);
        EXPECT_EQ(Title(FrontDocumentWindow()).rfind("untitled", 0), 0u);
        EXPECT_EQ(Image(rec), (Rows{"rg#", "bb.", "#g."}));
        EXPECT_EQ(Mask(rec), Rows(3, "###"));
        CloseAllDocuments();
    }
}

TEST_F(ClipboardTest, HostileClipboardDataIsRefusedWithoutChange) {
    LiftedSource();
    DoCopy();
    const QByteArray picture = ClipboardBytes("application/x-korvel-PICT");
    ASSERT_GT(picture.size(), 40);
    QByteArray huge = picture;  // the frame's bottom and right at 30000
    huge[6] = huge[8] = char(0x75);
    huge[7] = huge[9] = char(0x30);
    CloseAllDocuments();

    struct Case { const char* what; const char* mime; QByteArray bytes; SInt16 message; };
    const Case cases[] = {
        {"PNG header claiming 100000 x 100000", "image/png",
         QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0\x27\x30\x9c\x9f"
                   "\0\0\0\0IDAT\x35\xaf\x06\x1e\0\0\0\0IEND\xae\x42\x60\x82",
                   57),
         4},
        {"truncated picture", "application/x-korvel-PICT", picture.left(picture.size() / 2), 3},
        {"picture frame of 30000 x 30000", "application/x-korvel-PICT", huge, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Doc doc = MakeDoc(kSource, 0, kSourceMask);
        const std::string before = State(doc.w);
        auto* data = new QMimeData;  // the clipboard takes it
        data->setData(QString::fromLatin1(c.mime), c.bytes);
        QGuiApplication::clipboard()->setMimeData(data);
        ResetScriptLog();
        DoPaste();
        EXPECT_EQ(State(doc.w), before);
        Str255 text;
        GetIndString(text, kClipboardErrStrings, c.message);
        EXPECT_EQ(LastAlertText(), PStringToStd(text));
        ResetScriptLog();
        OpenClipboard();
        EXPECT_EQ(FrontDocumentWindow(), doc.w);  // no new document either
        CloseAllDocuments();
    }
}

// The paste of a PNG that another program serves on the X clipboard, in the
// process that the next test starts on an X server of its own.
void ClipboardTest::ExpectServedPngPasted(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const RgbaImage want = Decoded(std::vector<UInt8>{std::istreambuf_iterator<char>(file), {}});
    const Doc doc = MakeDoc(Blank(16, 8));
    DoPaste();
    ASSERT_TRUE(doc.rec->isFloating);
    EXPECT_EQ(Bounds(doc.rec->selRgn), "0,0,7,13");
    Rows mask = Mask(doc.w);
    for (std::string& row : mask) row.resize(size_t(want.width));
    mask.resize(size_t(want.height));
    EXPECT_EQ(mask, AlphaRows(want));
    const PixMap& image = MapOf(doc.rec->offPort.get());
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x) {
            const UInt8* px = &want.pixels[size_t(y * want.width + x) * 4];
            if (px[3] < 128) continue;
            EXPECT_EQ(ReadPixel(image, x, y), (RGBColor{UInt16(px[0] * 257), UInt16(px[1] * 257), UInt16(px[2] * 257)}))
                << x << "," << y;
        }
}

TEST_F(ClipboardTest, PngServedByAnotherProgramPastesAsFloatingSelection) {
    if (const char* served = std::getenv("KORVEL_SERVED_PNG")) return ExpectServedPngPasted(served);
    ASSERT_TRUE(HaveTools({"Xvfb", "xclip"}));
    const std::string png = std::string(KORVEL_TEST_DATA) + "/png/pillow-rgba.png";
    TempFolder home;
    // An X server of its own on the first free display from 200, whose
    // clipboard xclip serves to a process of this test.
    const bool passed = RunCommand(
        "for n in $(seq 200 259); do [ -e /tmp/.X$n-lock ] || break; done; export DISPLAY=:$n; "
        "Xvfb $DISPLAY -nolisten tcp >/dev/null 2>&1 & trap \"kill $!\" EXIT; "
        "for i in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done; "
        "xclip -selection clipboard -t image/png -i " + png + " && QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=" + home.path() +
        " KORVEL_SERVED_PNG=" + png + " " + std::filesystem::read_symlink("/proc/self/exe").string() +
        " --gtest_filter=ClipboardTest.PngServedByAnotherProgramPastesAsFloatingSelection >" + home.path() +
        "/log 2>&1");
    std::ifstream logFile(home.path() + "/log");
    const std::string log{std::istreambuf_iterator<char>(logFile), {}};
    EXPECT_TRUE(passed && log.find("[  PASSED  ] 1 test.") != std::string::npos) << log;
}

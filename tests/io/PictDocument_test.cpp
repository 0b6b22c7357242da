// PICT documents both ways: layers, mask and transparency level across a
// save and a reopen; pictures from elsewhere with two pixel images; tiles;
// saving over a file, a save that fails halfway, revert; ImageMagick reading
// what Korvel writes and Korvel opening the sample pictures as it reads them.
#include "app/Alerts.h"
#include "io/DocumentPicture.h"
#include "io/PictFile.h"
#include "io/SaveFormats.h"
#include "io/SavePaint.h"
#include "platform/files/FileIO.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GrafProcs.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/platform/picture/PictureTestSupport.h"
#include "tests/support/PaintTestSupport.h"

#include <filesystem>
#include <set>

namespace {

using namespace painttest;

class PictDocument : public ToolTest {
protected:
    TempFolder tmp;
    static Rows Mask(const PaintWinRec* rec) { return BitPicture(MapOf(rec->maskPort.get())); }
    static PaintWinRec* Front() { return GetPaintWinRec(FrontDocumentWindow()); }
    // Saves through the save dialog, answered with `path` and the format.
    static OSErr SaveAs(WindowRef w, const std::string& path, SInt16 format, SInt16 split = -1) {
        NavAnswer answer{true, path, {}, format};
        answer.split = split;
        ScriptNavDialog(answer);
        return SavePaintWindow(w, 0, 1);
    }
};

TEST_F(PictDocument, TwoLayersSurviveSaveAndReopen) {
    const Doc doc = MakeDoc(Rows{"r#..", "#rgb", ".bg."}, 3, Rows{"##..", "####", ".##."});
    ASSERT_EQ(NewGWorld(doc.rec->backPort.out(), doc.rec->depth, &doc.rec->picRect, nullptr, nullptr, 0), noErr);
    const Rows back{"gggg", "b..b", "rrrr"};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) WritePixel(MapOf(doc.rec->backPort.get()), x, y, ColorOf(back[y][x]));
    doc.rec->foreTrans = 2;  // recorded as a blend of weight 0x8000
    doc.rec->isDirty = true;
    const Rows fore = Picture(doc.rec->offPort.get()), mask = Mask(doc.rec);

    const std::string path = tmp / "two.pict";
    gPreviewIconFlag = 1;
    const OSErr saved = SaveAs(doc, path, 0);
    gPreviewIconFlag = 0;
    ASSERT_EQ(saved, noErr);
    UInt16 flags = 0;
    EXPECT_TRUE(FSpGetFinderFlags(&doc.rec->fileSpec, &flags) == noErr && (flags & kHasCustomIcon));
    EXPECT_FALSE(doc.rec->isDirty);
    EXPECT_TRUE(doc.rec->hasFile);
    EXPECT_EQ(PStringToStd(doc.rec->fileSpec.name), "two.pict");
    UniqueHandle pic(GetSelectionPic(doc, true));
    const std::vector<UInt8> file = Slurp(path), picture = picttest::Bytes(pic.get());
    ASSERT_EQ(file.size(), 512 + picture.size());
    EXPECT_EQ(std::vector<UInt8>(file.begin(), file.begin() + 512), std::vector<UInt8>(512, 0));
    EXPECT_EQ(std::vector<UInt8>(file.begin() + 512, file.end()), picture);
    SInt16 layers = 0;
    EXPECT_TRUE(IsBackAvailable(pic.get(), &layers));
    EXPECT_EQ(layers, 2);

    // While the background is edited, the same picture: the ordinary
    // buffers hold the background, the foreground is parked with its mask.
    PaintWinRec* r = doc.rec;
    r->foreHoldPort = std::move(r->offPort);
    r->offPort = std::move(r->backPort);
    r->foreHoldMask = std::move(r->maskPort);
    ASSERT_EQ(NewGWorld(r->maskPort.out(), 1, &r->picRect, nullptr, nullptr, 0), noErr);
    r->isBackMode = true;
    UniqueHandle parked(GetSelectionPic(doc, true));
    EXPECT_EQ(picttest::Bytes(parked.get()), picture);

    const FSSpec fileSpec = doc.rec->fileSpec;
    ASSERT_EQ(ClosePaintWindow(doc, false), noErr);
    ASSERT_EQ(OpenPictFile(fileSpec), noErr);
    const PaintWinRec* rec = Front();
    ASSERT_TRUE(rec && rec->backPort);
    EXPECT_EQ(Picture(rec->offPort.get()), fore);
    EXPECT_EQ(Picture(rec->backPort.get()), back);
    EXPECT_EQ(Mask(rec), mask);
    EXPECT_EQ(rec->foreTrans, 2);
    EXPECT_EQ(rec->ratio, 3);  // from the zoom resource
    EXPECT_FALSE(rec->isBackMode || rec->hasTransparency || rec->isDirty);
    // Opening it again only brings its window forward.
    ASSERT_EQ(OpenPictFile(fileSpec), noErr);
    EXPECT_EQ(Front(), rec);
}

// Two pixel images and nothing else, from another program: the first is the
// background, the second the foreground, its blend weight the level.
TEST_F(PictDocument, TwoPixelImagesOpenWithABackground) {
    UniqueGWorld a = MakeWorld(32, Rows{"rr", "gg"}), b = MakeWorld(32, Rows{"#.", ".b"});
    UniqueGWorld on = MakeWorld(32, 2, 2);
    const Rect r = MakeRect(0, 0, 2, 2);
    SavedGWorld saved;
    SetBlackOnWhite(on.get());
    OpenCPicParams params;
    params.srcRect = r;
    UniqueHandle pic(OpenCPicture(&params));
    CopyBits(Bits(a), Bits(on), &r, &r, srcCopy, nullptr);
    const RGBColor half{0x8000, 0x8000, 0x8000};
    OpColor(&half);
    CopyBits(Bits(b), Bits(on), &r, &r, blend, nullptr);
    ClosePicture();
    const std::string path = tmp / "other.pict";
    ASSERT_EQ(SaveAsPictMain(pic.get(), FileSpecFor(path)), noErr);

    ASSERT_EQ(OpenPictFile(FileSpecFor(path)), noErr);
    const PaintWinRec* rec = Front();
    ASSERT_TRUE(rec && rec->backPort);
    EXPECT_EQ(Picture(rec->backPort.get()), (Rows{"rr", "gg"}));
    EXPECT_EQ(Picture(rec->offPort.get()), (Rows{"#.", ".b"}));
    EXPECT_EQ(Mask(rec), (Rows{"##", "##"}));
    EXPECT_EQ(rec->foreTrans, 2);
}

TEST_F(PictDocument, TilesAreNamedWithAsManyDigitsAsTheCountNeeds) {
    const Doc doc = MakePaint(100, 40, 0);
    ASSERT_EQ(SaveAs(doc, tmp / "tiles.1", 2, 1), noErr);
    EXPECT_EQ(doc.rec->fileType, FourCC("IcoS"));
    EXPECT_EQ(PStringToStd(doc.rec->fileSpec.name), "tiles");
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(tmp.path())) {
        names.insert(e.path().filename().string());
        if (!IsCompanionName(e.path().filename().string())) {
            EXPECT_TRUE(e.is_directory()) << e.path();
        }
    }
    for (int n = 1; n <= 8; ++n) EXPECT_TRUE(names.count("tiles." + std::to_string(n))) << n;
    EXPECT_FALSE(names.count("tiles.9"));

    const Doc twelve = MakePaint(128, 96, 0);
    const std::string name31(31, 'n');
    ASSERT_EQ(SaveAsSplitIcon(twelve, FileSpecFor(tmp / name31)), noErr);
    for (int n = 1; n <= 12; ++n) {
        const std::string tile = name31.substr(0, 28) + (n < 10 ? ".0" : ".") + std::to_string(n);
        EXPECT_TRUE(std::filesystem::is_directory(tmp / tile)) << tile;
    }
    EXPECT_EQ(TileFileName("x", 3, 100), "x.003");
}

TEST_F(PictDocument, SavingOverAFileFailingHalfwayAndReverting) {
    const std::string path = tmp / "over.pict";
    Spill(path, std::vector<UInt8>(100000, 0xAB));
    const Doc doc = MakeDoc(Rows{"r#", "gb"});
    ASSERT_EQ(SaveAs(doc, path, 0), noErr);
    UniqueHandle pic(GetSelectionPic(doc, true));
    const std::vector<UInt8> saved = Slurp(path);
    EXPECT_EQ(saved.size(), 512 + size_t(GetHandleSize(pic.get())));

    WritePixel(MapOf(doc.rec->offPort.get()), 0, 0, ColorOf('b'));
    doc.rec->isDirty = true;
    // Saving the selection alone leaves the document as it is.
    ScriptNavDialog(NavAnswer{true, tmp / "copy.pict", {}, 0});
    ASSERT_EQ(SavePaintWindow(doc, 1, 1), noErr);
    EXPECT_TRUE(doc.rec->isDirty && PStringToStd(doc.rec->fileSpec.name) == "over.pict");
    EXPECT_TRUE(std::filesystem::exists(tmp / "copy.pict"));
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    EXPECT_NE(SavePaintWindow(doc, 0, 0), noErr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(Slurp(path), saved);
    EXPECT_TRUE(doc.rec->isDirty);
    EXPECT_EQ(DialogsShown().back(), kErrorAlertID);

    ScriptDialog(137, {DialogStep::Click(kStdOkItemIndex)});
    ASSERT_EQ(DoRevertPaintWindow(doc), noErr);
    ASSERT_TRUE(Front());
    EXPECT_EQ(Picture(Front()->offPort.get()), (Rows{"r#", "gb"}));

    // Closing a changed document, the letter d answers "Don't Save".
    Front()->isDirty = true;
    ScriptKey(2, 'd');
    EXPECT_EQ(ClosePaintWindow(FrontDocumentWindow(), false), noErr);
    EXPECT_EQ(Front(), nullptr);
    EXPECT_EQ(Slurp(path), saved);
}

// What Korvel writes, ImageMagick reads pixel for pixel; the sample pictures
// open as ImageMagick reads them, and damaged ones open no window.
TEST_F(PictDocument, ImageMagickAgrees) {
    ASSERT_TRUE(HaveTools({"convert"}));
    const Rows image{"r#.gb", "bbg#r", ".r.g."};
    for (SInt16 depth : {8, 24}) {
        const Doc doc = MakeDoc(image, 0, {}, depth);
        const std::string path = tmp / ("d" + std::to_string(depth) + ".pict");
        SCOPED_TRACE(path);
        ASSERT_EQ(SaveAs(doc, path, 0), noErr);
        picttest::Ppm ppm;
        ASSERT_TRUE(picttest::ImageMagickReads(path, ppm));
        picttest::ExpectColoursNear(ppm, doc.rec->offPort.get(), 0);
    }
    for (const char* name : {"32bit.pict", "BLK.PCT", "FLAG_B24.PCT", "TRU256.PCT"}) {
        const std::string path = std::string(KORVEL_TEST_DATA) + "/pict/" + name;
        SCOPED_TRACE(path);
        ASSERT_EQ(OpenPictFile(FileSpecFor(path)), noErr) << name;
        picttest::Ppm ppm;
        ASSERT_TRUE(picttest::ImageMagickReads(path, ppm));
        // ImageMagick sizes some pictures by their clip region, a pixel wider.
        picttest::ExpectColoursNear(ppm, Front()->offPort.get(), 0, 1);
    }
    // Cut short, or framed larger than a document may be: no window.
    std::vector<UInt8> cut = Slurp(tmp / "d24.pict"), huge = cut;
    cut.resize(cut.size() - 20);
    for (size_t k : {6, 8}) huge[512 + k] = 0x75, huge[512 + k + 1] = 0x30;  // bottom, right 30000
    Spill(tmp / "cut.pict", cut);
    Spill(tmp / "huge.pict", huge);
    for (const char* name : {"cut.pict", "huge.pict"}) {
        CloseAllDocuments();
        ResetScriptLog();
        EXPECT_NE(OpenPictFile(FileSpecFor(tmp / name)), noErr) << name;
        EXPECT_EQ(Front(), nullptr);
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
    }
    EXPECT_NE(LastAlertText().find("“huge.pict” is too large"), std::string::npos) << LastAlertText();
}

}  // namespace

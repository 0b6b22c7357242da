// Files reaching the program: the type and suffix dispatch, pictures through
// the importers (transparency as the mask, drawings at a chosen size,
// hostile files refused), the Open dialog's several files, drops on the
// program and the start-up action.
#include "app/AppleEvents.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "io/OpenDocuments.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/files/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/support/Peers.h"

#include "tests/support/ProgramTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QUrl>

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

class OpenDocumentsTest : public ProgramTest {
protected:
    static WindowRef Open(const std::string& path) {
        PostOpenDocuments({FileSpecFor(path)});
        RunPendingEvents();
        return FrontDocumentWindow();
    }
    static int CountDocuments() {
        int n = 0;
        for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) n += IsDocumentWindowKind(GetExtWindowKind(w));
        return n;
    }
    // A picture written by Pillow from a Python expression naming `im`.
    std::string Pillow(const std::string& name, const std::string& make) {
        const std::string path = folder_ / name;
        EXPECT_TRUE(RunCommand(Python() + " -c \"from PIL import Image; " + make + "; im.save('" + path + "')\""));
        return path;
    }
    TempFolder folder_;
};

TEST_F(OpenDocumentsTest, TheTypeOrElseTheSuffixChoosesTheKindAndAnOpenFileOnlyComesForward) {
    fs::copy_file(std::string(KORVEL_TEST_DATA) + "/icns/classic.icns", folder_ / "icon.ICNS");
    EXPECT_EQ(GetExtWindowKind(Open(folder_ / "icon.ICNS")), kFamilyWindowKind);

    // A JPEG typed as text goes to the importers (grey blocks of 8 x 8 come
    // through exactly).
    const std::string photo = Pillow("photo.jpg", "im = Image.new('L', (16, 8), 255); im.paste(0, (0, 0, 8, 8))");
    const FSSpec fileSpec = FileSpecFor(photo);
    FInfo info;
    info.fdType = FourCC("TEXT");
    ASSERT_EQ(FSpSetFInfo(&fileSpec, &info), noErr);
    WindowRef w = Open(photo);
    PaintWinRec* rec = GetPaintWinRec(w);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(pixelart::Picture(rec->offPort.get()), Rows(8, "########........"));
    EXPECT_FALSE(rec->hasFile);
    EXPECT_FALSE(rec->isDirty);
    EXPECT_EQ(rec->fileType, FourCC("PICT"));

    const int documents = CountDocuments();
    Open(folder_ / "icon.ICNS");
    EXPECT_EQ(Open(photo), w);
    EXPECT_EQ(CountDocuments(), documents);

    Spill(folder_ / "file.001", TextBytes("resources, maybe"));
    ResetScriptLog();
    EXPECT_EQ(Open(folder_ / "file.001"), w);
    EXPECT_NE(LastAlertText().find("\u201Cfile.001\u201D: it does not read files of this kind"), std::string::npos);
}

// Alpha of at least half is opaque; a drawing is drawn at the size chosen;
// truncated and enormous pictures are refused with their reason and leave
// no window.
TEST_F(OpenDocumentsTest, ImportsKeepTransparencyDrawAtTheChosenSizeAndRefuseHostileFiles) {
    WindowRef w = Open(Pillow("alpha.tif", "im = Image.new('RGBA', (4, 2)); "
                                           "im.putdata([(0,0,0,255), (0,0,0,128), (0,0,0,127), (0,0,0,0)] * 2)"));
    ASSERT_NE(GetPaintWinRec(w), nullptr);
    EXPECT_EQ(pixelart::BitPicture(**GetGWorldPixMap(GetPaintWinRec(w)->maskPort.get())), (Rows{"##..", "##.."}));

    const std::string svg = folder_ / "box.svg";
    Spill(svg, TextBytes("<svg xmlns='http://www.w3.org/2000/svg' width='2' height='2'>"
                         "<rect width='2' height='2' fill='#00ff00'/></svg>"));
    ScriptDialog(1510, {DialogStep::Type(3, "5"), DialogStep::Type(4, "3"), DialogStep::Click(1)});
    w = Open(svg);
    ASSERT_NE(GetPaintWinRec(w), nullptr);
    EXPECT_EQ(pixelart::Picture(GetPaintWinRec(w)->offPort.get()), (Rows{"ggggg", "ggggg", "ggggg"}));

    const std::string big = Pillow("big.jpg", "im = Image.new('RGB', (64, 64), (9, 9, 9))");
    std::vector<UInt8> jpeg = Slurp(big);
    jpeg.resize(jpeg.size() - 40);
    Spill(folder_ / "cut.jpg", jpeg);
    // The frame header made to claim 30000 x 30000 pixels.
    jpeg = Slurp(big);
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 7] = 0x75;
            jpeg[i + 6] = jpeg[i + 8] = 0x30;
            break;
        }
    Spill(folder_ / "huge.jpg", jpeg);
    const struct {
        const char* name;
        const char* reason;
    } hostile[] = {{"cut.jpg", "truncated"}, {"huge.jpg", "30000 × 30000 pixels, larger than Korvel opens"}};
    for (const auto& c : hostile) {
        SCOPED_TRACE(c.name);
        const int documents = CountDocuments();
        ResetScriptLog();
        Open(folder_ / c.name);
        EXPECT_EQ(CountDocuments(), documents);
        EXPECT_NE(LastAlertText().find(c.reason), std::string::npos) << LastAlertText();
    }
}

// The Open dialog's files open together, as the start-up action; a drop with
// the Command key opens the custom icon instead of the file.
TEST_F(OpenDocumentsTest, TheOpenDialogTakesSeveralFilesAndADropWithCommandOpensTheCustomIcon) {
    const std::string a = Pillow("a.gif", "im = Image.new('P', (3, 3))");
    const std::string b = Pillow("b.bmp", "im = Image.new('RGB', (2, 2))");
    ScriptNavDialog({true, a, nullptr, -1, -1, {b}});
    gStartup = 2;
    HandleOpenApp();
    RunPendingEvents();
    EXPECT_EQ(CountDocuments(), 2);

    SetOpenDocumentsProc(OpenDroppedFiles);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(a))});
    QMainWindow* main = ui_internal::MainWindow();
    // As a drag arrives: it enters the window, then drops there.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(main, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(main, &drop);
    ScriptDialog(203, {DialogStep::Click(1)});  // yes, make the file a custom icon
    RunPendingEvents();
    WindowRef w = FrontDocumentWindow();
    ASSERT_NE(GetFamilyWinRec(w), nullptr);
    EXPECT_EQ(GetFamilyWinRec(w)->sourceType, kSourceCustomIcon);
}

}  // namespace

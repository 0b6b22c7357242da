// The member commands of a family window: paste (also another program's
// image, and damaged pictures), edit in a paint window and save back,
// delete, create empty with undo and redo, and icons on the clipboard read
// back by Pillow.
#include "app/Alerts.h"
#include "icons/IconConvert.h"
#include "image/IconClipboard.h"
#include "platform/ui/Scrap.h"
#include "tests/icons/IconTestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {

using icontest::Quadrants;
using Bytes = std::vector<UInt8>;

constexpr OSType kPict = FourCC("PICT");

void PutPicture(const Bytes& picture) {
    ASSERT_EQ(ClearCurrentScrap(), noErr);
    ASSERT_EQ(PutScrapFlavor(kPict, picture), noErr);
}

// A 1-bit member whose image half is all black and mask half all set.
Bytes Solid1Bit(int size) { return Bytes(size_t(size * size / 4), 0xFF); }

class MemberCommands : public icontest::FamilyTest {};

TEST_F(MemberCommands, PasteIntoTheMaskHalfMakesTheWhole1BitMember) {
    WindowRef w = MakeFamily({{kKindIcsImage, Solid1Bit(16)}}, kKindICNMask);
    PutPicture(picttest::Bytes(icontest::OutlinePicture(16).get()));
    (void)TakeUpdates();
    PasteToSelectedIcon(w);
    // A white image half; the mask is the outline's shape, filled, at 32.
    Bytes want(256, 0);
    for (size_t y = 2; y < 30; ++y)
        for (size_t i = 0; i < 4; ++i) want[128 + 4 * y + i] = i == 0 ? 0x3F : i == 3 ? 0xFC : 0xFF;
    EXPECT_EQ(Member(kKindICNImage), want);
    EXPECT_EQ(TakeUpdates(), (std::vector<std::string>{"34,101,70,137", "34,147,70,183"}));
    EXPECT_EQ(family_.undoMode, kFamilyUndoStore);
    EXPECT_TRUE(family_.isDirty);
    DoUndoIconFamily(w);  // the member goes again, and comes back
    EXPECT_TRUE(Member(kKindICNImage).empty());
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindICNImage), want);
}

TEST_F(MemberCommands, PasteTakesOtherProgramsImagesAndRefusesDamagedPictures) {
    WindowRef w = MakeFamily({{kKindIcsImage, Solid1Bit(16)}}, kKindIcs4);
    QImage image(3, 5, QImage::Format_RGB32);
    image.fill(QColor(0x80, 0x80, 0x80));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
    auto* data = new QMimeData;
    data->setData("image/png", png);
    QGuiApplication::clipboard()->setMimeData(data);
    PasteToSelectedIcon(w);
    EXPECT_EQ(Member(kKindIcs4), Bytes(128, 0xDD));  // the 16-colour table's grey

    ResetScriptLog();
    PutPicture(Bytes(300, 0xA5));
    PasteToSelectedIcon(w);
    EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
    EXPECT_EQ(Member(kKindIcs4), Bytes(128, 0xDD));
}

TEST_F(MemberCommands, PasteRefusesOnlyWhenTheMembersPaintWindowIsInFront) {
    WindowRef w = MakeFamily({{kKindIcsImage, Solid1Bit(16)}, {kKindIcs8, Bytes(256, 0)}}, kKindIcs8);
    EditFamilyIcon(w, kEditInPaintWindow);
    PutPicture(picttest::Bytes(icontest::PictureOf(3, 3, [](int, int) { return 0u; }).get()));
    const UInt32 beeps = SysBeepCount();
    PasteToSelectedIcon(w);
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    EXPECT_EQ(Member(kKindIcs8), Bytes(256, 0));
    MakePaint(8, 8, 0);  // another paint window in front
    PasteToSelectedIcon(w);
    EXPECT_EQ(Member(kKindIcs8), Bytes(256, 255));
}

TEST_F(MemberCommands, MemberEditedInItsPaintWindowIsSavedBackOnClose) {
    WindowRef w = MakeFamily({{kKindICNImage, Solid1Bit(32)}}, kKindIcsMask);
    painttest::Rows outline(16, std::string(16, '.'));
    for (size_t i = 1; i < 15; ++i) outline[1][i] = outline[14][i] = outline[i][1] = outline[i][14] = '#';
    for (UInt8 byShape : {0, 1}) {
        SCOPED_TRACE(int(byShape));
        gOtherPrefs[kOtherMaskByShape] = byShape;
        SetMember(kKindIcsMask, Solid1Bit(16));
        family_.selectedKind = kKindIcsMask;
        EditFamilyIcon(w, kEditDefault);
        WindowRef paint = FrontDocumentWindow();
        PaintWinRec* rec = GetPaintWinRec(paint);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->parentWindow, w);
        EXPECT_EQ(rec->iconKind, kKindIcsMask);
        EXPECT_EQ(rec->ratio, 3);
        EXPECT_EQ(painttest::Title(paint), "16 × 16 mask of Robot");
        EXPECT_EQ(Image(rec), Mask(rec));  // all black and all opaque
        EXPECT_EQ(Mask(rec), painttest::Rows(16, std::string(16, '#')));
        EditFamilyIcon(w, kEditDefault);  // the open window is brought forward
        EXPECT_EQ(FrontDocumentWindow(), paint);

        Fill(paint, outline);
        rec->isDirty = true;
        ScriptDialog(129, {DialogStep::Click(kStdOkItemIndex)});  // "Save"
        ASSERT_EQ(ClosePaintWindow(paint, false), noErr);
        // By shape the enclosed white is set too; else only the black lines.
        Bytes want = Solid1Bit(16);
        for (size_t y = 0; y < 16; ++y) {
            const bool inside = y > 0 && y < 15, full = y == 1 || y == 14 || byShape;
            want[32 + 2 * y] = !inside ? 0 : full ? 0x7F : 0x40;
            want[33 + 2 * y] = !inside ? 0 : full ? 0xFE : 0x02;
        }
        EXPECT_EQ(Member(kKindIcsImage), want);
    }
}

TEST_F(MemberCommands, DeleteKeepsOne1BitMemberAndUnsavedEdits) {
    WindowRef w = MakeFamily({{kKindICNImage, Solid1Bit(32)}, {kKindIcl8, Bytes(1024, 5)}}, kKindICNMask);
    const UInt32 beeps = SysBeepCount();
    DeleteSelectedIconPicture(w);  // the only 1-bit member
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    EXPECT_EQ(Member(kKindICNImage), Solid1Bit(32));
    EXPECT_EQ(family_.undoMode, 0);

    family_.selectedKind = kKindIcl8;
    EditFamilyIcon(w, kEditInPaintWindow);
    WindowRef paint = FrontDocumentWindow();
    GetPaintWinRec(paint)->isDirty = true;
    DeleteSelectedIconPicture(w);
    EXPECT_EQ(SysBeepCount(), beeps + 2);
    EXPECT_EQ(Member(kKindIcl8), Bytes(1024, 5));
    GetPaintWinRec(paint)->isDirty = false;
    DeleteSelectedIconPicture(w);  // a clean window closes with its member
    EXPECT_EQ(FrontDocumentWindow(), w);
    EXPECT_TRUE(Member(kKindIcl8).empty());
    EXPECT_EQ(family_.undoMode, kFamilyUndoDelete);
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindIcl8), Bytes(1024, 5));
}

TEST_F(MemberCommands, CreateEmptyUndoesAndRedoes) {
    WindowRef w = MakeFamily({{kKindICNImage, Solid1Bit(32)}}, kKindIl32);
    CreateEmptyIconData(w);
    EXPECT_EQ(Member(kKindIl32), Bytes(4096, 0));
    DoUndoIconFamily(w);
    EXPECT_TRUE(Member(kKindIl32).empty());
    EXPECT_EQ(family_.undoMode, -kFamilyUndoCreate);
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindIl32), Bytes(4096, 0));
    EXPECT_EQ(family_.undoMode, kFamilyUndoCreate);
}

TEST_F(MemberCommands, ClipboardCarriesMembersAndPicturesBetweenPrograms) {
    WindowRef w = MakeFamily({{kKindICNImage, Solid1Bit(32)}, {kKindIcs4, Quadrants(16, 4, {3, 15, 0, 6})}}, kKindIcs4);
    ASSERT_EQ(KorvelIconToClip(family_.icon), noErr);
    Bytes bytes;
    ASSERT_EQ(GetScrapFlavorData(FourCC("ICN#"), &bytes), noErr);
    EXPECT_EQ(bytes, Solid1Bit(32));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("application/x-korvel-ICN%23"));
    ASSERT_EQ(GetScrapFlavorData(FourCC("icns"), &bytes), noErr);
    KorvelIconOwner back;
    ASSERT_EQ(IconFamilyToKorvelIcon(UniqueHandle(NewHandleFromBytes(bytes)).get(), back.get()), noErr);
    Handle ics4 = nullptr;
    ASSERT_EQ(GetDataFromKorvelIcon(&ics4, *back, kKindIcs4), noErr);
    EXPECT_EQ(picttest::Bytes(ics4), Member(kKindIcs4));

    // The member's picture reaches other programs as PNG.
    CopySelectedIconPicture(w);
    const QByteArray png = QGuiApplication::clipboard()->mimeData()->data("image/png");
    TempFolder folder;
    QFile file(QString::fromStdString(folder.path() + "/member.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
    file.close();
    std::vector<unsigned char> out;
    ASSERT_TRUE(RunCapture(Python() + " -c \"from PIL import Image; im = Image.open('" + folder.path() +
                               "/member.png').convert('RGB'); print(im.size, [im.getpixel((x, y)) for y in (0, 8) "
                               "for x in (0, 8)])\"",
                           out));
    // The 16-colour table's red, black, white and blue.
    EXPECT_EQ(std::string(out.begin(), out.end()), "(16, 16) [(221, 8, 6), (0, 0, 0), (255, 255, 255), (0, 0, 212)]\n");
}

}  // namespace

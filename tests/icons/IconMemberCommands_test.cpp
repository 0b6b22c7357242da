// The member commands of a family window: paste (also from another
// program's image), edit in a paint window and save back, delete, create
// empty with undo and redo, and icons on the clipboard read back by Pillow.
#include "icons/IconConvert.h"
#include "app/Alerts.h"
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

using icontest::Bytes;
using icontest::Quadrants;

constexpr OSType kPict = FourCC("PICT");

void PutPicture(Handle picture) {
    ASSERT_EQ(ClearCurrentScrap(), noErr);
    ASSERT_EQ(PutScrapFlavor(kPict, HandleBytes(picture)), noErr);
}

// A 1-bit member of `size` whose image half is all black and mask half all set.
std::vector<UInt8> SolidOneBit(int size) { return std::vector<UInt8>(size_t(size * size / 4), 0xFF); }

class MemberCommands : public icontest::FamilyTest {};

TEST_F(MemberCommands, PasteIntoTheMaskHalfMakesTheWhole1BitMember) {
    WindowRef w = MakeFamily({{kKindIcsImage, SolidOneBit(16)}}, kKindICNMask);
    PutPicture(icontest::OutlinePicture(16).get());
    ClearUpdates();
    PasteToSelectedIcon(w);
    // White image half, the outline's shape (filled) scaled to 32 as mask.
    std::vector<UInt8> want(256, 0);
    for (int y = 2; y < 30; ++y) want[size_t(128 + 4 * y)] = 0x3F, want[size_t(129 + 4 * y)] = 0xFF,
                                 want[size_t(130 + 4 * y)] = 0xFF, want[size_t(131 + 4 * y)] = 0xFC;
    EXPECT_EQ(Member(kKindICNImage), want);
    EXPECT_EQ(TakeUpdates(), (std::vector<std::string>{"34,101,70,137", "34,147,70,183"}));
    EXPECT_EQ(family().undoMode, kFamilyUndoStore);
    EXPECT_EQ(family().undoData, nullptr);
    EXPECT_TRUE(family().isDirty);
    // Undo takes the new member away again; redo brings it back.
    DoUndoIconFamily(w);
    EXPECT_TRUE(Member(kKindICNImage).empty());
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindICNImage), want);
}

TEST_F(MemberCommands, AnotherProgramsImagePastesAsAPicture) {
    WindowRef w = MakeFamily({{kKindIcsImage, SolidOneBit(16)}}, kKindIcs4);
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(0, 1, qRgb(255, 255, 255));
    image.setPixel(1, 1, qRgb(0x80, 0x80, 0x80));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
    auto* data = new QMimeData;
    data->setData("image/png", png);
    QGuiApplication::clipboard()->setMimeData(data);
    PasteToSelectedIcon(w);
    EXPECT_EQ(Member(kKindIcs4), Quadrants(16, 4, {3, 15, 0, 13}));
}

TEST_F(MemberCommands, HostileClipboardPicturesChangeNothing) {
    WindowRef w = MakeFamily({{kKindIcsImage, SolidOneBit(16)}}, kKindIcsMask);
    std::vector<UInt8> huge = Bytes(icontest::SolidPicture(4, 4, 0).get());
    huge[6] = huge[8] = 0x7F;
    for (const auto& bytes : {std::vector<UInt8>(300, 0xA5), huge}) {
        ResetScriptLog();
        ASSERT_EQ(ClearCurrentScrap(), noErr);
        ASSERT_EQ(PutScrapFlavor(kPict, bytes), noErr);
        PasteToSelectedIcon(w);
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{kErrorAlertID});
        EXPECT_EQ(Member(kKindIcsImage), SolidOneBit(16));
        EXPECT_EQ(family().undoMode, 0);
    }
}

TEST_F(MemberCommands, PasteRefusesOnlyWhenTheMembersPaintWindowIsInFront) {
    WindowRef w = MakeFamily({{kKindIcsImage, SolidOneBit(16)}, {kKindIcs8, std::vector<UInt8>(256, 0)}}, kKindIcs8);
    EditFamilyIcon(w, kEditInPaintWindow);
    PutPicture(icontest::SolidPicture(16, 16, 0).get());
    const UInt32 beeps = SysBeepCount();
    PasteToSelectedIcon(w);
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    EXPECT_EQ(Member(kKindIcs8), std::vector<UInt8>(256, 0));
    MakePaint(8, 8, 0);  // another paint window in front
    PasteToSelectedIcon(w);
    EXPECT_EQ(Member(kKindIcs8), std::vector<UInt8>(256, 255));
}

TEST_F(MemberCommands, MemberEditedInItsPaintWindowIsSavedBackOnClose) {
    WindowRef w = MakeFamily({{kKindIcsImage, SolidOneBit(16)}, {kKindICNImage, SolidOneBit(32)}}, kKindIcsMask);
    for (UInt8 byShape : {0, 1}) {
        SCOPED_TRACE(int(byShape));
        gOtherPrefs[kOtherMaskByShape] = byShape;
        ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(SolidOneBit(16)), &family().icon, kKindIcsMask), noErr);
        family().selectedKind = kKindIcsMask;
        EditFamilyIcon(w, kEditDefault);
        WindowRef paint = FrontDocumentWindow();
        PaintWinRec* rec = GetPaintWinRec(paint);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->parentWindow, w);
        EXPECT_EQ(rec->iconKind, kKindIcsMask);
        EXPECT_EQ(rec->ratio, 3);
        EXPECT_EQ(PStringToStd(rec->fileSpec.name), "Robot");
        EXPECT_EQ(Mask(rec), painttest::Rows(16, std::string(16, '#')));
        EXPECT_EQ(Image(rec), painttest::Rows(16, std::string(16, '#')));
        // Double-click again: the open window comes to the front, no second one.
        EditFamilyIcon(w, kEditDefault);
        EXPECT_EQ(FrontDocumentWindow(), paint);

        painttest::Rows outline(16, std::string(16, '.'));
        for (int i = 1; i < 15; ++i) outline[1][size_t(i)] = outline[14][size_t(i)] = outline[size_t(i)][1] =
            outline[size_t(i)][14] = '#';
        Fill(paint, outline);
        rec->isDirty = true;
        ScriptDialog(129, {DialogStep::Click(kStdOkItemIndex)});  // "Save"
        ASSERT_EQ(ClosePaintWindow(paint, false), noErr);
        std::vector<UInt8> want = SolidOneBit(16);
        for (int y = 0; y < 16; ++y) {
            const bool edge = y == 1 || y == 14, inside = y > 0 && y < 15;
            want[size_t(32 + 2 * y)] = !inside ? 0 : (edge || byShape) ? 0x7F : 0x40;
            want[size_t(33 + 2 * y)] = !inside ? 0 : (edge || byShape) ? 0xFE : 0x02;
        }
        EXPECT_EQ(Member(kKindIcsImage), want);
        EXPECT_EQ(family().undoMode, kFamilyUndoStore);
    }
}

TEST_F(MemberCommands, DeleteKeepsOne1BitMemberAndUnsavedEdits) {
    WindowRef w = MakeFamily({{kKindICNImage, SolidOneBit(32)}, {kKindIcl8, std::vector<UInt8>(1024, 5)}},
                             kKindICNMask);
    const UInt32 beeps = SysBeepCount();
    DeleteSelectedIconPicture(w);
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    EXPECT_EQ(Member(kKindICNImage), SolidOneBit(32));
    EXPECT_EQ(family().undoMode, 0);

    family().selectedKind = kKindIcl8;
    EditFamilyIcon(w, kEditInPaintWindow);
    WindowRef paint = FrontDocumentWindow();
    GetPaintWinRec(paint)->isDirty = true;
    DeleteSelectedIconPicture(w);
    EXPECT_EQ(SysBeepCount(), beeps + 2);
    EXPECT_EQ(GetPaintWinRec(paint)->iconKind, kKindIcl8);
    GetPaintWinRec(paint)->isDirty = false;
    DeleteSelectedIconPicture(w);  // a clean window closes with its member
    EXPECT_EQ(GetPaintWinRec(FrontDocumentWindow()), nullptr);
    EXPECT_TRUE(Member(kKindIcl8).empty());
    EXPECT_EQ(family().undoMode, kFamilyUndoDelete);
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindIcl8), std::vector<UInt8>(1024, 5));
}

TEST_F(MemberCommands, CreateEmptyUndoesAndRedoes) {
    WindowRef w = MakeFamily({{kKindICNImage, SolidOneBit(32)}}, kKindIl32);
    CreateEmptyIconData(w);
    EXPECT_EQ(Member(kKindIl32), std::vector<UInt8>(4096, 0));
    EXPECT_EQ(family().undoMode, kFamilyUndoCreate);
    DoUndoIconFamily(w);
    EXPECT_TRUE(Member(kKindIl32).empty());
    EXPECT_EQ(family().undoMode, -kFamilyUndoCreate);
    DoUndoIconFamily(w);
    EXPECT_EQ(Member(kKindIl32), std::vector<UInt8>(4096, 0));
    EXPECT_EQ(family().selectedKind, kKindIl32);
}

TEST_F(MemberCommands, ClipboardCarriesMembersAndPicturesBetweenPrograms) {
    WindowRef w = MakeFamily({{kKindICNImage, SolidOneBit(32)}, {kKindIcs4, Quadrants(16, 4, {3, 15, 0, 6})}},
                             kKindIcs4);
    ASSERT_EQ(KorvelIconToClip(family().icon), noErr);
    std::vector<UInt8> bytes;
    ASSERT_EQ(GetScrapFlavorData(FourCC("ICN#"), &bytes), noErr);
    EXPECT_EQ(bytes, SolidOneBit(32));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("application/x-korvel-ICN%23"));
    ASSERT_EQ(GetScrapFlavorData(FourCC("icns"), &bytes), noErr);
    KorvelIconOwner back;
    UniqueHandle family(NewHandleFromBytes(bytes));
    ASSERT_EQ(IconFamilyToKorvelIcon(family.get(), back.get()), noErr);
    Handle ics4 = nullptr;
    ASSERT_EQ(GetDataFromKorvelIcon(&ics4, *back, kKindIcs4), noErr);
    EXPECT_EQ(Bytes(ics4), Member(kKindIcs4));

    // The member's picture reaches other programs as PNG.
    CopySelectedIconPicture(w);
    const QByteArray png = QGuiApplication::clipboard()->mimeData()->data("image/png");
    TempFolder folder;
    const std::string path = folder.path() + "/member.png";
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
    file.close();
    std::vector<unsigned char> out;
    ASSERT_TRUE(RunCapture(Python() + " -c \"from PIL import Image; im = Image.open('" + path +
                               "').convert('RGB'); print(im.size, [im.getpixel(p) for p in "
                               "((0, 0), (8, 0), (0, 8), (8, 8))])\"",
                           out));
    EXPECT_EQ(std::string(out.begin(), out.end()),
              "(16, 16) [(221, 8, 6), (0, 0, 0), (255, 255, 255), (0, 0, 212)]\n");  // the 16-colour table
}

}  // namespace

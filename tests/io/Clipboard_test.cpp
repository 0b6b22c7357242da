// The clipboard of paint windows: pictures pasted as floating selections
// with their outline and mask, the edit commands, and pictures other
// programs put on the clipboard.
#include "tests/support/PaintTestSupport.h"

#include "io/Clipboard.h"
#include "io/DocumentPicture.h"
#include "platform/core/Memory.h"

using namespace painttest;

namespace {

// An L-shaped selection with two transparent pixels, lifted and moved by
// (1, 1) in a 8 x 6 document.
const Rows kSource = {"........", ".rg#....", ".bbr....", ".#g.....", "........", "........"};
const Rows kSourceMask = {"########", "####.###", "###.####", "########", "########", "########"};
const Rows kShape = {"........", ".###....", ".###....", ".##.....", "........", "........"};

}  // namespace

class ClipboardTest : public SelectionTest {
protected:
    // A document holding kSource with the selection lifted and moved.
    Doc LiftedSource() {
        const Doc doc = MakeDoc(kSource, 0, kSourceMask);
        Lift(doc.w, kShape);
        MoveSelection(doc.w, 1, 1, true);
        return doc;
    }
};

TEST_F(ClipboardTest, PastedSelectionKeepsItsOutlineMaskAndPixels) {
    const Doc source = LiftedSource();
    UniqueHandle picture(GetSelectionPic(source.w, false));
    ASSERT_TRUE(picture);

    const Doc target = MakeDoc(Rows(5, std::string(6, '.')));
    ASSERT_EQ(PutPictureIntoEditWin(picture.get(), target.w), noErr);
    DispOffPort(target.w);
    PaintWinRec* rec = target.rec;
    EXPECT_TRUE(rec->isFloating);
    EXPECT_TRUE(rec->isDirty);
    EXPECT_EQ(gSelectedTool, kSelectionTool);
    EXPECT_EQ(RectText(&rec->selRect), "1,1,4,4");  // the frame: where the pixels were lifted from
    EXPECT_EQ(Selected(target.w), (Rows{"......", ".###..", ".###..", ".##...", "......"}));
    EXPECT_EQ(Mask(target.w), (Rows{"......", ".###..", ".##...", ".##...", "......"}));
    EXPECT_EQ(Shown(target.w), (Rows{"......", ".rg#..", ".bb...", ".#g...", "......"}));
    // The image under the selection and its mask wait in the base.
    EXPECT_EQ(Picture(rec->basePort.get()), Rows(5, std::string(6, '.')));
    EXPECT_EQ(BitPicture(MapOf(rec->baseMask.get())), Rows(5, std::string(6, '#')));

    SetUndoMode(kUndoPaste);
    DoUndo();
    EXPECT_FALSE(rec->isFloating);
    EXPECT_EQ(Image(target.w), Rows(5, std::string(6, '.')));
}

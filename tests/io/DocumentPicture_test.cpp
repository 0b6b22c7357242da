// The document picture: a floating selection framed by itself with its
// outline as a comment; a layered picture clipped to the document's mask.
#include "io/DocumentPicture.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GrafProcs.h"
#include "tests/support/PaintTestSupport.h"

namespace {

using namespace painttest;

std::vector<std::vector<UInt8>> gComments;
void MyCommentProc(SInt16, SInt16 size, Handle data) {
    const UInt8* bytes = reinterpret_cast<const UInt8*>(*data);
    gComments.emplace_back(bytes, bytes + size);
}

// The picture played over blue, and the comments it holds.
Rows Played(Handle picture) {
    Rect frame;
    QDGetPictureBounds(picture, &frame);
    UniqueGWorld world = MakeWorld(32, frame);
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.commentProc = MyCommentProc;
    SetPortGrafProcs(world.get(), &procs);
    RGBBackColor(&kBlue);
    EraseRect(&frame);
    RGBBackColor(&kWhite);
    gComments.clear();
    DrawPicture(picture, &frame);
    SetPortGrafProcs(world.get(), nullptr);
    return Picture(world.get());
}

class DocumentPicture : public ToolTest {};

TEST_F(DocumentPicture, FloatingSelectionAndLayers) {
    const Doc doc = MakeDoc(Rows{"r#r#", "#r#r", "rrrr"}, 0, Rows{"##..", "##..", "##.."});
    Lift(doc.w, Rows{"....", "##..", "...."});
    UniqueHandle floating(GetSelectionPic(doc.w, true));
    EXPECT_EQ(Played(floating.get()), Rows{"#r"});  // framed by the selection, layers or not
    EXPECT_EQ(gComments, (std::vector<std::vector<UInt8>>{{'K', 'r', 'v', 'l', 0, 200, 0, 10, 0, 1, 0, 0, 0, 2, 0, 2}}));

    FixSelection(doc.w);
    doc.rec->hasTransparency = true;
    UniqueHandle layered(GetSelectionPic(doc.w, true));
    EXPECT_EQ(Played(layered.get()), (Rows{"r#bb", "#rbb", "rrbb"}));
    EXPECT_EQ(gComments, (std::vector<std::vector<UInt8>>{{'K', 'r', 'v', 'l', 0, 201, 0, 1}}));
    UniqueHandle flat(GetSelectionPic(doc.w, false));
    EXPECT_EQ(Played(flat.get()), (Rows{"r#r#", "#r#r", "rrrr"}));
    EXPECT_TRUE(gComments.empty());
}

}  // namespace

// A member dragged out of one family window and dropped onto a member of
// another, through the drag layer's router.
#include "icons/FamilyWindow.h"
#include "icons/FamilyWindowInternal.h"
#include "platform/raster/ColorTables.h"
#include "platform/ui/Drag.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/PaintTestSupport.h"

#include <QImage>
#include <QMimeData>

namespace {

using namespace painttest;

class FamilyDragTest : public PaintWindowTest {
protected:
    void TearDown() override {
        SetTrackDragScript({});
        for (WindowRef w : windows_) DisposeFamilyWindow(w);
        PaintWindowTest::TearDown();
    }
    WindowRef Make(std::initializer_list<SInt16> kinds, Point at) {
        WindowRef w = MakeFamilyWindow(at, false, nullptr, kSourceIconFamilyFile, icontest::MakeIcon(kinds),
                                       reinterpret_cast<ConstStr255Param>("\x03" "Art"));
        EXPECT_NE(w, nullptr);
        windows_.push_back(w);
        return w;
    }
    static Point Centre(WindowRef w, SInt16 kind) {
        const Rect& r = familyIconRect[size_t(kind)];
        Point p{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
        SetPortWindowPort(w);
        LocalToGlobal(&p);
        return p;
    }
    std::vector<WindowRef> windows_;
};

TEST_F(FamilyDragTest, MemberDragsOutAsPngAndDropsOntoAnotherMember) {
    WindowRef source = Make({0}, Point{60, 40});
    WindowRef target = Make({2}, Point{300, 400});
    SelectFamilyMember(GetFamilyWinRec(source), 0);
    const icontest::Bytes member = icontest::MemberOf(GetFamilyWinRec(source)->icon, 0);
    const ColorSpec* clut = CTabEntries(StandardCTable(8));

    OSErr dropped = paramErr;
    int wrong = -1;
    SetTrackDragScript([&](DragRef drag, QMimeData* offered) {
        const QImage png = QImage::fromData(offered->data("image/png"), "PNG");
        EXPECT_EQ(png.size(), QSize(32, 32));
        wrong = 0;
        for (int i = 0; i < 32 * 32 && png.width() == 32; ++i) {
            const RGBColor c = clut[member[size_t(i)]].rgb;
            const QRgb p = png.pixel(i % 32, i / 32);
            wrong += qRed(p) != c.red >> 8 || qGreen(p) != c.green >> 8 || qBlue(p) != c.blue >> 8;
        }
        dropped = ScriptDragDrop(drag, Centre(target, 0), 0);
        return dropped;
    });
    EventRecord press;
    press.what = mouseDown;
    press.where = Centre(source, 0);
    ASSERT_EQ(MyDoStartDragIconFamily(source, &press), noErr);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(dropped, noErr);
    EXPECT_EQ(GetFamilyWinRec(target)->selectedKind, 0);
    EXPECT_EQ(icontest::MemberOf(GetFamilyWinRec(target)->icon, 0), member);
}

}  // namespace

// Type Text: the typed word is the text layer's own drawing of it, floating
// at the top-left; a transparent background leaves only the letters opaque;
// smoothing gives in-between colours; undo gives the picture back.
#include "tools/TypeString.h"

#include "platform/raster/Text.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

constexpr SInt16 kTypeDialog = 133;

class TypeStringTest : public ColorToolTest {
protected:
    void SetUp() override {
        ColorToolTest::SetUp();
        saved_ = gTypeStringPrefs;
    }
    void TearDown() override {
        gTypeStringPrefs = saved_;
        ColorToolTest::TearDown();
    }
    static void Type(WindowRef w, const char* text, std::vector<DialogStep> more = {}) {
        more.insert(more.begin(), DialogStep::Type(5, text));
        more.push_back(DialogStep::Click(1));
        ScriptDialog(kTypeDialog, more);
        TypeString(w);
    }

private:
    std::array<UInt8, 266> saved_{};
};

TEST_F(TypeStringTest, TypesTheWordAsTheTextLayerDrawsIt) {
    const Doc doc = MakeDoc(Rows(30, std::string(80, '.')));
    const std::string before = State(doc);
    Type(doc, "Korvel", {DialogStep::Type(4, "0")});  // a size of 0 keeps 12

    // The same word drawn directly: red on white from (1, ascent), and its letters alone.
    UniqueGWorld direct = MakeWorld(32, 1, 1), letters = MakeWorld(1, 1, 1);
    SetGWorld(direct.get(), nullptr);
    TextSize(12);
    FontInfo info;
    GetFontInfo(&info);
    const Str255 word = {6, 'K', 'o', 'r', 'v', 'e', 'l'};
    const Rect frame{0, 0, SInt16(info.ascent + info.descent + info.leading), SInt16(StringWidth(word) + 2)};
    for (UniqueGWorld* g : {&direct, &letters}) {
        *g = MakeWorld(g == &direct ? 32 : 1, frame);
        TextSize(12);
        if (g == &direct) RGBForeColor(&kRed);
        MoveTo(1, info.ascent);
        DrawString(word);
        RGBForeColor(&kBlack);
    }
    EXPECT_TRUE(EqualRect(&doc.rec->selRect, &frame));
    EXPECT_TRUE(doc.rec->isFloating);
    EXPECT_EQ(doc.rec->undoMode, kUndoTypeString);
    const PixMap& off = MapOf(doc.rec->offPort.get());
    const PixMap& mask = MapOf(doc.rec->maskPort.get());
    int red = 0;
    for (int v = 0; v < frame.bottom; ++v)
        for (int h = 0; h < frame.right; ++h) {
            ASSERT_EQ(ReadPixel(off, h, v), ReadPixel(MapOf(direct.get()), h, v)) << h << "," << v;
            ASSERT_EQ(Px(mask, h, v), 1u);
            red += ReadPixel(off, h, v) == kRed;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(LoadTypeStringSettings().size, 12);
    DoUndo();
    EXPECT_EQ(State(doc), before);

    // A transparent background: the letters alone are opaque.
    gBackColor = ColorRec{kWhite, 1};
    Type(doc, "Korvel");
    for (int v = 0; v < frame.bottom; ++v)
        for (int h = 0; h < frame.right; ++h)
            ASSERT_EQ(Px(MapOf(doc.rec->maskPort.get()), h, v), Px(MapOf(letters.get()), h, v)) << h << "," << v;

    // Smoothing averages a drawing four times as large: a frame 2 wider, and
    // pinks between red and white.
    gBackColor = ColorRec{kWhite, 0};
    Type(doc, "Korvel", {DialogStep::Click(11)});
    EXPECT_EQ(RectWidth(doc.rec->selRect), RectWidth(frame) + 2);
    int between = 0;
    for (int v = 0; v < frame.bottom; ++v)
        for (int h = 0; h < frame.right; ++h) {
            const RGBColor c = ReadPixel(MapOf(doc.rec->offPort.get()), h, v);
            between += c.red == 0xFFFF && c.green > 0 && c.green < 0xFFFF;
        }
    EXPECT_GT(between, 10);
}

}  // namespace

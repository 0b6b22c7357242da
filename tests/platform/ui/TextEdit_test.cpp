// The one-line text field: editing keeps whole UTF-8 characters, clicks and
// drags select by the drawn widths, and the caret blinks.
#include "platform/raster/Text.h"
#include "platform/ui/TextEdit.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <cstring>
#include <string>

using namespace uitest;

namespace {

const Rect kField = R(10, 20, 22, 150);

class TextEditTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window_ = MakeWindow(R(100, 100, 200, 300), documentProc);
        SetPortWindowPort(window_);
        TextSize(9);
        te_ = TENew(kField, kField);
        ASSERT_NE(te_, nullptr);
    }
    void TearDown() override {
        TEDispose(te_);
        UiTest::TearDown();
    }
    void Keys(std::u16string keys) {
        for (char16_t k : keys) TEKey(k, te_);
    }
    std::string State() {
        return TEGetText(te_) + " " + std::to_string(TEGetSelStart(te_)) + "-" + std::to_string(TEGetSelEnd(te_));
    }
    // Where the text's byte offset lies on screen, as the field measures it.
    SInt16 XOf(const std::string& text, int bytes) {
        return SInt16(kField.left + 1 + TextWidth(text.data(), 0, SInt16(bytes)));
    }
    WindowRef window_ = nullptr;
    TEHandle te_ = nullptr;
};

TEST_F(TextEditTest, EditingKeepsCharactersWhole) {
    struct Case {
        const char* text;
        SInt32 selStart, selEnd;
        std::u16string keys;
        const char* want;
    };
    const Case cases[] = {
        {"a\xC3\xB1" "b", 4, 4, u"\x1C\x1C", "a\xC3\xB1" "b 1-1"},      // left steps over the 2-byte ñ
        {"a\xC3\xB1" "b", 3, 3, u"\x08\x7F", "a 1-1"},                   // backspace takes ñ whole, delete b
        {"a\xC3\xB1" "b", 2, 2, u"", "a\xC3\xB1" "b 1-1"},              // an offset inside ñ snaps back
        {"abc", 0, 3, u"\x00E9", "\xC3\xA9 2-2"},                        // typing replaces the selection
        {"abc", 1, 2, u"\x1D", "abc 2-2"},                               // right ends a selection at its end
        {"abc", 1, 1, u"\x01z\x04!", "zabc! 5-5"},                      // Home, End
        {"abc", 3, 3, u"\x07\xD800\x1B", "abc 3-3"},                     // control keys and half surrogates
        {"abc", -5, 99, u"", "abc 0-3"},                                 // selection clamped
        {"\x8E" "t", 0, 0, u"\x04", "\xC3\xA9t 3-3"},                  // not UTF-8: read as Mac Roman
    };
    for (const Case& c : cases) {
        TESetText(c.text, SInt32(strlen(c.text)), te_);
        TESetSelect(c.selStart, c.selEnd, te_);
        Keys(c.keys);
        EXPECT_EQ(State(), c.want) << c.text;
    }

    // 255 bytes at most: text beyond is cut at a character, keys beyond are refused with a beep.
    const std::string full = std::string(254, 'a') + "\xC3\xA9";
    TESetText(full.data(), SInt32(full.size()), te_);
    EXPECT_EQ(TEGetText(te_), std::string(254, 'a'));
    ResetScriptLog();
    Keys(u"\x00E9");
    EXPECT_EQ(TEGetText(te_), std::string(254, 'a'));
    EXPECT_EQ(SysBeepCount(), 1u);
    Keys(u"b");
    EXPECT_EQ(TEGetText(te_).size(), 255u);
}

TEST_F(TextEditTest, ClicksAndDragsSelectByDrawnWidths) {
    const std::string text = "wide\xC3\xA9text";
    TESetText(text.data(), SInt32(text.size()), te_);
    TEActivate(te_);
    TEClick(P(15, XOf(text, 6)), false, te_);
    EXPECT_EQ(State(), text + " 6-6");
    TEClick(P(15, XOf(text, 2)), true, te_);  // shift-click extends back from the other end
    EXPECT_EQ(State(), text + " 2-6");
    TEClick(P(15, 0), false, te_);  // left of the text
    EXPECT_EQ(State(), text + " 0-0");

    // A drag from offset 1 to past the end, as the mouse really moves.
    Point from = P(15, XOf(text, 1)), to = P(15, 140);
    LocalToGlobal(&from);
    LocalToGlobal(&to);
    ScriptMouseDown(from);
    ScriptMouseMove(to);
    ScriptMouseUp(to);
    EventRecord down;
    while (!GetNextEvent(mDownMask, &down)) WaitNextEvent(0, &down, 1, nullptr);
    TEClick(P(15, XOf(text, 1)), false, te_);
    EXPECT_EQ(State(), text + " 1-10");
}

TEST_F(TextEditTest, DrawsSelectionAndABlinkingCaret) {
    const std::string text = "ab ";  // a space last, so nothing but the caret is drawn at its place
    TESetText(text.data(), 3, te_);
    TESetSelect(0, 2, te_);
    TEActivate(te_);
    const PixMap& port = **GetPortPixMap(GetWindowPort(window_));
    const int x3 = XOf(text, 3);
    // The selection's top row, which glyphs never reach, shows its highlight.
    EXPECT_EQ(xfer::RGBTo24(pixelart::ReadPixel(port, XOf(text, 1), kField.top)), 0xB4D5FEu);
    auto caret = [&] {
        std::string out;
        for (int v = kField.top; v < kField.bottom; ++v) out += pixelart::CharOf(pixelart::ReadPixel(port, x3, v));
        return out;
    };
    TESetSelect(3, 3, te_);
    EXPECT_EQ(caret(), "############");
    Delay(GetCaretTime() + 1, nullptr);
    TEIdle(te_);
    EXPECT_EQ(caret(), "............");
}

}  // namespace

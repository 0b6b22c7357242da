// Helpers of the icon-document tests: pictures of known pixels, member data
// written as quadrants, and a family window whose record the test owns.
#pragma once

#include "icons/FamilyWindow.h"
#include "image/KorvelIcon.h"
#include "tests/platform/picture/PictureTestSupport.h"
#include "tests/support/PaintTestSupport.h"

#include <memory>
#include <vector>

namespace icontest {

// A picture framed (0, 0, height, width) of 0xRRGGBB values, rows top to
// bottom, recorded from a 32-bit world.
inline UniqueHandle PictureOf(const std::vector<std::vector<UInt32>>& rows) {
    const int h = int(rows.size()), w = int(rows.at(0).size());
    UniqueGWorld world = picttest::MakeWorld(32, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) picttest::SetPixel(world.get(), x, y, rows[size_t(y)][size_t(x)]);
    const Rect all = MakeRect(0, 0, h, w);
    return picttest::RecordCopy(world.get(), world.get(), all, all);
}

// A picture of one colour.
inline UniqueHandle SolidPicture(int width, int height, UInt32 rgb) {
    return PictureOf(std::vector<std::vector<UInt32>>(size_t(height), std::vector<UInt32>(size_t(width), rgb)));
}

// A white square of `size` with a one-pixel black outline from (1, 1) to
// (size - 2, size - 2).
inline UniqueHandle OutlinePicture(int size) {
    std::vector<std::vector<UInt32>> rows(size_t(size), std::vector<UInt32>(size_t(size), 0xFFFFFF));
    for (int i = 1; i < size - 1; ++i) {
        rows[1][size_t(i)] = rows[size_t(size - 2)][size_t(i)] = 0;
        rows[size_t(i)][1] = rows[size_t(i)][size_t(size - 2)] = 0;
    }
    return PictureOf(rows);
}

// The stored rows of a size x size member at `depth` whose four quadrants
// hold the pixel values q (top-left, top-right, bottom-left, bottom-right);
// 32-bit values are written pad byte first.
inline std::vector<UInt8> Quadrants(int size, int depth, const std::array<UInt32, 4>& q) {
    std::vector<UInt8> out(size_t(size * size * depth / 8), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const UInt32 v = q[size_t((y < size / 2 ? 0 : 2) + (x < size / 2 ? 0 : 1))];
            const size_t bit = size_t(y * size + x) * size_t(depth);
            if (depth == 32) {
                for (int b = 0; b < 4; ++b) out[bit / 8 + size_t(b)] = UInt8(v >> (24 - 8 * b));
            } else {
                out[bit / 8] |= UInt8(v << (8 - depth - int(bit % 8)));
            }
        }
    return out;
}

inline std::vector<UInt8> Bytes(Handle h) { return picttest::Bytes(h); }

// A visible window of kind 139 carrying a record the fixture owns.
class FamilyTest : public painttest::ToolTest {
protected:
    void TearDown() override {
        painttest::ToolTest::TearDown();  // closes the windows
        if (family_) {
            (void)DisposeKorvelIcon(&family_->icon);
            if (family_->undoData) DisposeHandle(family_->undoData);
        }
        family_.reset();
    }
    // The window and its record; members are given as kind -> bytes.
    WindowRef MakeFamily(const std::vector<std::pair<SInt16, std::vector<UInt8>>>& members, SInt16 selected) {
        family_ = std::make_unique<FamilyWinRec>();
        for (const auto& m : members) {
            EXPECT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(m.second), &family_->icon, m.first), noErr);
        }
        family_->selectedKind = selected;
        CopyCStringToPascal("Robot", family_->familyName);
        window_ = painttest::MakePlainWindow(kFamilyWindowKind, "Robot", 40, 60);
        SetWRefCon(window_, family_.get());
        return window_;
    }
    FamilyWinRec& family() { return *family_; }
    std::vector<UInt8> Member(SInt16 kind) {
        Handle h = nullptr;
        EXPECT_EQ(GetDataFromKorvelIcon(&h, family_->icon, kind), noErr);
        return h ? Bytes(h) : std::vector<UInt8>{};
    }
    // The window's pending update area as rectangles, cleared.
    std::vector<std::string> TakeUpdates() {
        BeginUpdate(window_);
        UniqueRgn pending;
        GetPortVisibleRegion(GetWindowPort(window_), pending);
        EndUpdate(window_);
        std::vector<std::string> out;
        for (const Rect& r : RegionRects(pending)) out.push_back(pixelart::RectText(&r));
        return out;
    }
    void ClearUpdates() { (void)TakeUpdates(); }

private:
    std::unique_ptr<FamilyWinRec> family_;
    WindowRef window_ = nullptr;
};

}  // namespace icontest

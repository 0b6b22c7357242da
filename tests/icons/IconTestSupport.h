// Helpers of the icon-document tests: pictures of known pixels, member data
// written as quadrants, and a family window whose record the test owns.
#pragma once

#include "icons/FamilyWindow.h"
#include "tests/platform/picture/PictureTestSupport.h"
#include "tests/support/PaintTestSupport.h"

#include <functional>
#include <memory>

namespace icontest {

// A picture framed (0, 0, height, width) of the 0xRRGGBB values pixel(x, y)
// gives, recorded from a 32-bit world.
inline UniqueHandle PictureOf(int width, int height, const std::function<UInt32(int, int)>& pixel) {
    UniqueGWorld world = picttest::MakeWorld(32, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picttest::SetPixel(world.get(), x, y, pixel(x, y));
    const Rect all = MakeRect(0, 0, height, width);
    return picttest::RecordCopy(world.get(), world.get(), all, all);
}

// A white square with a black outline one pixel in from its edge.
inline UniqueHandle OutlinePicture(int size) {
    return PictureOf(size, size, [size](int x, int y) {
        const bool inside = x > 0 && y > 0 && x < size - 1 && y < size - 1;
        return inside && (x == 1 || y == 1 || x == size - 2 || y == size - 2) ? 0u : 0xFFFFFFu;
    });
}

// The stored rows of a size x size member whose quadrants hold the pixel
// values q (top-left, top-right, bottom-left, bottom-right).
inline std::vector<UInt8> Quadrants(int size, int depth, const std::array<UInt32, 4>& q) {
    std::vector<UInt8> out(size_t(size * size * depth / 8), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const UInt32 v = q[size_t((y < size / 2 ? 0 : 2) + (x < size / 2 ? 0 : 1))];
            const size_t bit = size_t(y * size + x) * size_t(depth);
            for (int b = 0; b < depth / 8; ++b) out[bit / 8 + size_t(b)] = UInt8(v >> (depth - 8 - 8 * b));
            if (depth < 8) out[bit / 8] |= UInt8(v << (8 - depth - int(bit % 8)));
        }
    return out;
}

// A visible window of kind 139 whose record the fixture owns.
class FamilyTest : public painttest::ToolTest {
protected:
    void TearDown() override {
        painttest::ToolTest::TearDown();  // closes the windows
        (void)DisposeKorvelIcon(&family_.icon);
        if (family_.undoData) DisposeHandle(family_.undoData);
    }
    WindowRef MakeFamily(const std::vector<std::pair<SInt16, std::vector<UInt8>>>& members, SInt16 selected) {
        for (const auto& m : members) SetMember(m.first, m.second);
        family_.selectedKind = selected;
        CopyCStringToPascal("Robot", family_.familyName);
        window_ = painttest::MakePlainWindow(kFamilyWindowKind, "Robot", 40, 60);
        SetWRefCon(window_, &family_);
        return window_;
    }
    void SetMember(SInt16 kind, const std::vector<UInt8>& bytes) {
        ASSERT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(bytes), &family_.icon, kind), noErr);
    }
    std::vector<UInt8> Member(SInt16 kind) {
        Handle h = nullptr;
        EXPECT_EQ(GetDataFromKorvelIcon(&h, family_.icon, kind), noErr);
        return h ? picttest::Bytes(h) : std::vector<UInt8>{};
    }
    // The window's pending update area as rectangles; it is cleared.
    std::vector<std::string> TakeUpdates() {
        BeginUpdate(window_);
        UniqueRgn pending;
        GetPortVisibleRegion(GetWindowPort(window_), pending);
        EndUpdate(window_);
        std::vector<std::string> out;
        for (const Rect& r : RegionRects(pending)) out.push_back(pixelart::RectText(&r));
        return out;
    }

    FamilyWinRec family_;
    WindowRef window_ = nullptr;
};

}  // namespace icontest

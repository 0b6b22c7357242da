// The selection as icon data: fitting, the byte layouts of each depth, the
// mask half of 1-bit icons, the frame and its badge, and a cross-check of the
// bytes with netpbm and icnsutils.
#include "tests/platform/files/TempFolder.h"
#include "tests/platform/icons/IconTestBytes.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/Peers.h"

#include <fstream>
#include <sstream>

using icontest::Cat;
using icontest::MakeFamily;
using IconBytes = std::vector<UInt8>;

using namespace painttest;

namespace {

// An 8 × 8 ring with a red middle and a lone pixel below it.
const Rows kRing{"........", ".######.", ".#....#.", ".#.rr.#.", ".#....#.", ".######.", "........", "..#....."};

// `inner` placed at (top, left) of a white size × size picture.
Rows Place(const Rows& inner, int size, int top, int left) {
    Rows out(size_t(size), std::string(size_t(size), '.'));
    for (size_t v = 0; v < inner.size(); ++v)
        for (size_t x = 0; x < inner[v].size(); ++x) out[size_t(top) + v][size_t(left) + x] = inner[v][x];
    return out;
}

// 1-bit rows: '.' clear, anything else set.
IconBytes PackBits(const Rows& rows) {
    IconBytes out;
    for (const std::string& row : rows)
        for (size_t x = 0; x < row.size(); x += 8) {
            UInt8 b = 0;
            for (size_t i = 0; i < 8; ++i)
                if (row[x + i] != '.') b = UInt8(b | (0x80 >> i));
            out.push_back(b);
        }
    return out;
}

// Pixels by their index in the standard table of `depth` (4 or 8).
IconBytes PackIndexed(const Rows& rows, int depth) {
    IconBytes out;
    CTabHandle table = StandardCTable(depth);
    for (const std::string& row : rows) {
        for (size_t x = 0; x < row.size(); x += size_t(8 / depth)) {
            UInt8 b = 0;
            for (size_t i = 0; i < size_t(8 / depth); ++i)
                b = UInt8((b << depth) | NearestColorIndex(table, ColorOf(row[x + i])));
            out.push_back(b);
        }
    }
    return out;
}

IconBytes PackDirect(const Rows& rows) {
    IconBytes out;
    for (const std::string& row : rows)
        for (char c : row) {
            const RGBColor rgb = ColorOf(c);
            out.insert(out.end(), {0, UInt8(rgb.red >> 8), UInt8(rgb.green >> 8), UInt8(rgb.blue >> 8)});
        }
    return out;
}

IconBytes Take(Handle h) {
    UniqueHandle owner(h);
    return h ? icontest::BytesOf(h) : IconBytes{};
}

IconBytes ResourceBytes(OSType type, SInt16 id) {
    Handle h = GetResource(type, id);
    return h ? icontest::BytesOf(h) : IconBytes{};
}

// A 1-bit half as '#' rows.
Rows BitRows(const IconBytes& bytes, size_t offset, int size) {
    Rows rows;
    const size_t perRow = size_t(size) / 8;
    for (int v = 0; v < size; ++v) {
        std::string row;
        for (int x = 0; x < size; ++x)
            row += (bytes[offset + size_t(v) * perRow + size_t(x >> 3)] & (0x80 >> (x & 7))) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// `rect` painted into a size × size picture of '.'.
void PaintInto(Rows* rows, const Rect& r, char c = '#') {
    for (int v = r.top; v < r.bottom; ++v)
        for (int x = r.left; x < r.right; ++x) (*rows)[size_t(v)][size_t(x)] = c;
}

std::string Output(const std::string& command) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(command, out)) << command;
    return std::string(out.begin(), out.end());
}

// The numbers of a plain netpbm file after its magic.
std::vector<int> PlainNumbers(const std::string& text, std::string* magic) {
    std::istringstream in(text);
    in >> *magic;
    std::vector<int> numbers;
    int n;
    while (in >> n) numbers.push_back(n);
    return numbers;
}

class SelectionIconTest : public ColorToolTest {};

}  // namespace

TEST(ReduceRect, FitsAndCentres) {
    struct Case {
        Rect in;
        SInt16 size;
        const char* expected;  // top,left,bottom,right
    };
    const Case cases[] = {
        {MakeRect(0, 0, 10, 20), 32, "11,6,21,26"},     // smaller: centred, not scaled
        {MakeRect(0, 0, 32, 32), 32, "0,0,32,32"},      // exactly the size
        {MakeRect(0, 0, 16, 64), 32, "12,0,20,32"},     // wider: 32 × 8
        {MakeRect(0, 0, 100, 10), 32, "0,14,32,17"},    // taller: 3 × 32
        {MakeRect(0, 0, 7, 5), 32, "12,13,19,18"},      // odd sides keep their size
        {MakeRect(10, 20, 14, 26), 32, "14,13,18,19"},  // the origin does not matter
        {MakeRect(0, 0, 20, 20), 16, "0,0,16,16"},
        {MakeRect(0, 0, 1, 1000), 16, "7,0,8,16"},      // a thin side keeps one pixel
        {MakeRect(0, 0, 9, 9), 16, "3,3,12,12"},
        {MakeRect(0, 0, 200, 130), 128, "0,22,128,105"},  // 83 × 128
    };
    for (const Case& c : cases) {
        Rect r = c.in;
        ReduceRect(&r, c.size);
        EXPECT_EQ(RectText(&r), c.expected) << RectText(&c.in) << " in " << c.size;
    }
}

// Unframed icons of each depth from a document whose mask hides the lone
// pixel and one ring pixel: the image is the fitted picture; at one bit the
// mask half is the content (the ring and its inside) cut by that mask.
TEST_F(SelectionIconTest, UnframedLayoutsOfEachDepth) {
    Rows docMask(8, "########");
    docMask[1][1] = '.';
    docMask[7][2] = '.';
    WindowRef w = MakeDoc(kRing, 0, docMask);
    const Rows picture32 = Place(kRing, 32, 12, 12);
    const Rows picture16 = Place(kRing, 16, 4, 4);
    Rows content(8, "........");
    PaintInto(&content, MakeRect(1, 1, 6, 7));
    content[1][1] = '.';
    struct Case { SInt16 size, depth; IconBytes expected; };
    const Case cases[] = {
        {32, 1, Cat({PackBits(picture32), PackBits(Place(content, 32, 12, 12))})},
        {16, 1, Cat({PackBits(picture16), PackBits(Place(content, 16, 4, 4))})}, {32, 4, PackIndexed(picture32, 4)},
        {32, 8, PackIndexed(picture32, 8)}, {16, 8, PackIndexed(picture16, 8)}, {32, 32, PackDirect(picture32)},
        {128, 8, PackIndexed(Place(kRing, 128, 60, 60), 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " at " << c.depth << " bits");
        const IconBytes got = Take(GetSelectionIconHandle(w, c.size, c.depth, false));
        ASSERT_EQ(got.size(), size_t(c.size) * size_t(c.size) * size_t(c.depth) / 8 * (c.depth == 1 ? 2 : 1));
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_TRUE(DialogsShown().empty());
}

// Framed: the fitted picture with a frame on its edge and the badge over the
// lower-right corner; the mask half is the fitted rectangle plus the badge's
// rectangle.
TEST_F(SelectionIconTest, FramedLayouts) {
    const Rows square{"####....", "#..#....", "####....", "........", "......##", "......##"};
    WindowRef w = MakeDoc(square, 0, Rows(6, "########"));
    const Rect fit = MakeRect(13, 12, 19, 20);
    Rows picture = Place(square, 32, 13, 12);
    // The frame on the fitted rectangle's edge.
    for (int x = fit.left; x < fit.right; ++x) picture[13][size_t(x)] = picture[18][size_t(x)] = '#';
    for (int v = fit.top; v < fit.bottom; ++v) picture[size_t(v)][12] = picture[size_t(v)][19] = '#';

    // The badge of the 32 × 32 members drawn through its mask.
    const IconBytes bw = ResourceBytes(FourCC("ICN#"), kSelectionFrameIcon);
    const IconBytes color = ResourceBytes(FourCC("icl8"), kSelectionFrameIcon);
    ASSERT_EQ(bw.size(), 256u);
    ASSERT_EQ(color.size(), 1024u);
    const Rows badgeMask = BitRows(bw, 128, 32), badgeImage = BitRows(bw, 0, 32);
    Rows oneBit = picture;
    IconBytes eightBit = PackIndexed(picture, 8);
    for (int v = 0; v < 32; ++v)
        for (int x = 0; x < 32; ++x)
            if (badgeMask[size_t(v)][size_t(x)] == '#') {
                oneBit[size_t(v)][size_t(x)] = badgeImage[size_t(v)][size_t(x)];
                eightBit[size_t(v * 32 + x)] = color[size_t(v * 32 + x)];
            }
    Rows mask(32, std::string(32, '.'));
    PaintInto(&mask, fit);
    PaintInto(&mask, MakeRect(21, 19, 32, 32));

    EXPECT_EQ(Take(GetSelectionIconHandle(w, 32, 1, true)), Cat({PackBits(oneBit), PackBits(mask)}));
    EXPECT_EQ(Take(GetSelectionIconHandle(w, 32, 8, true)), eightBit);

    // At 16 × 16 the small members serve, in their own corner.
    const IconBytes small = Take(GetSelectionIconHandle(w, 16, 1, true));
    ASSERT_EQ(small.size(), 64u);
    Rows smallMask(16, std::string(16, '.'));
    PaintInto(&smallMask, MakeRect(5, 4, 11, 12));
    PaintInto(&smallMask, MakeRect(9, 8, 16, 16));
    EXPECT_EQ(BitRows(small, 32, 16), smallMask);

    // At 128 × 128 the badge is the 32 × 32 one scaled, and so is its rectangle.
    const IconBytes big = Take(GetSelectionIconHandle(w, 128, 1, true));
    ASSERT_EQ(big.size(), 4096u);
    const Rows bigMask = BitRows(big, 2048, 128);
    Rows expectedBig(128, std::string(128, '.'));
    PaintInto(&expectedBig, MakeRect(61, 60, 67, 68));
    PaintInto(&expectedBig, MakeRect(84, 76, 128, 128));
    EXPECT_EQ(bigMask, expectedBig);
}

// A selection larger than the icon is scaled down: 64 × 32 stripes two
// pixels wide become 32 × 16 stripes one pixel wide.
TEST_F(SelectionIconTest, LargerSelectionIsScaledDown) {
    Rows stripes(32, std::string(64, '.'));
    for (std::string& row : stripes)
        for (size_t x = 0; x < row.size(); ++x) row[x] = (x / 2) % 2 ? '#' : 'r';
    WindowRef w = MakeDoc(stripes, 0, Rows(32, std::string(64, '#')), 8);
    Rows expected(32, std::string(32, '.'));
    for (int v = 8; v < 24; ++v)
        for (int x = 0; x < 32; ++x) expected[size_t(v)][size_t(x)] = x % 2 ? '#' : 'r';
    EXPECT_EQ(Take(GetSelectionIconHandle(w, 32, 8, false)), PackIndexed(expected, 8));
}

// A floating L-shaped selection of a black picture: the image is its
// rectangle, the mask half its shape, which the document's mask gives.
TEST_F(SelectionIconTest, MaskOfAFloatingSelectionFollowsTheDocumentMask) {
    WindowRef w = MakeDoc(Rows(6, "######"), 0, Rows(6, "######"));
    Lift(w, Rows{"......", ".#....", ".#....", ".###..", "......", "......"});
    MoveSelection(w, 2, 1, true);
    const IconBytes got = Take(GetSelectionIconHandle(w, 32, 1, false));
    ASSERT_EQ(got.size(), 256u);
    Rows image(32, std::string(32, '.'));
    PaintInto(&image, MakeRect(14, 14, 17, 17));
    EXPECT_EQ(BitRows(got, 0, 32), image);
    Rows mask(32, std::string(32, '.'));
    PaintInto(&mask, MakeRect(14, 14, 17, 15));
    PaintInto(&mask, MakeRect(16, 14, 17, 17));
    EXPECT_EQ(BitRows(got, 128, 32), mask);
}

// Over a background layer the icon shows the foreground composed over the
// background (or the background alone at foreground level 4), and the mask
// half is the content of that composition, not cut by the foreground's mask.
TEST_F(SelectionIconTest, BackgroundLayerIsComposedUnder) {
    const Rows fore{"####", "#..#", "####"};
    const Rows foreMask{"####", "#..#", "##.."};
    struct Case { SInt16 foreTrans; Rows shown; };
    const Case cases[] = {
        {0, {"####", "#rr#", "##rr"}},
        {4, {"rrrr", "rrrr", "rrrr"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "foreground level " << c.foreTrans);
        auto [w, rec] = MakeDoc(fore, 0, foreMask);
        rec->backPort = MakeWorld(32, Rows(3, "rrrr"));
        rec->foreTrans = c.foreTrans;
        EXPECT_EQ(Take(GetSelectionIconHandle(w, 16, 32, false)), PackDirect(Place(c.shown, 16, 6, 6)));
        const IconBytes oneBit = Take(GetSelectionIconHandle(w, 16, 1, false));
        ASSERT_EQ(oneBit.size(), 64u);
        Rows mask(16, std::string(16, '.'));
        PaintInto(&mask, MakeRect(6, 6, 9, 10));
        EXPECT_EQ(BitRows(oneBit, 32, 16), mask);
        rec->backPort.reset();
        CloseAllDocuments();
    }
}

// Sizes and depths that make no icon give nothing, without an alert.
TEST_F(SelectionIconTest, BadRequestsGiveNothing) {
    WindowRef w = MakeDoc(kRing, 0, Rows(8, "########"));
    EXPECT_EQ(GetSelectionIconHandle(w, 0, 8, false), nullptr);
    EXPECT_EQ(GetSelectionIconHandle(w, 32, 3, false), nullptr);
    EXPECT_EQ(GetSelectionIconHandle(w, 12, 1, false), nullptr);  // rows would need padding
    EXPECT_EQ(GetSelectionIconHandle(nullptr, 32, 8, false), nullptr);
    EXPECT_TRUE(DialogsShown().empty());
}

// Independent readers: the 1-bit image half as a PBM through netpbm, and the
// 8-bit icon with its 1-bit mask as an icon family through icns2png, whose
// PNG netpbm reads back as colours.
TEST_F(SelectionIconTest, CrossCheckWithNetpbmAndIcnsutils) {
    ASSERT_TRUE(HaveTools({"pnmtoplainpnm", "icns2png", "pngtopnm"}));
    WindowRef w = MakeDoc(kRing, 0, Rows(8, "########"));
    const Rows picture = Place(kRing, 32, 12, 12);
    TempFolder dir;
    ASSERT_FALSE(dir.path().empty());

    const IconBytes oneBit = Take(GetSelectionIconHandle(w, 32, 1, false));
    ASSERT_EQ(oneBit.size(), 256u);
    {
        std::ofstream out(dir / "icon.pbm", std::ios::binary);
        out << "P4\n32 32\n";
        out.write(reinterpret_cast<const char*>(oneBit.data()), 128);
    }
    // As a plain bit map: '1' black, '0' white.
    std::istringstream plain(Output("pnmtoplainpnm " + dir / "icon.pbm"));
    std::string magic, bits, row;
    int width = 0, height = 0;
    plain >> magic >> width >> height;
    while (plain >> row) bits += row;
    ASSERT_EQ(magic + " " + std::to_string(width) + " " + std::to_string(height), "P1 32 32");
    ASSERT_EQ(bits.size(), 1024u);
    for (int v = 0; v < 32; ++v)
        for (int x = 0; x < 32; ++x)  // red is black at one bit
            EXPECT_EQ(bits[size_t(v * 32 + x)], picture[size_t(v)][size_t(x)] != '.' ? '1' : '0') << x << "," << v;

    const IconBytes eightBit = Take(GetSelectionIconHandle(w, 32, 8, false));
    ASSERT_EQ(eightBit.size(), 1024u);
    {
        const IconBytes family = MakeFamily({{"ICN#", oneBit}, {"icl8", eightBit}});
        std::ofstream(dir / "icon.icns", std::ios::binary)
            .write(reinterpret_cast<const char*>(family.data()), std::streamsize(family.size()));
    }
    Output("cd " + dir.path() + " && icns2png -x -d 8 icon.icns >/dev/null 2>&1");
    const std::string png = dir / "icon_32x32x8.png";
    ASSERT_TRUE(std::ifstream(png).good()) << "icns2png made no 32 x 32 x 8 image";
    const std::vector<int> rgb = PlainNumbers(Output("pngtopnm " + png + " 2>/dev/null | pnmtoplainpnm"), &magic);
    ASSERT_EQ(magic, "P3");
    ASSERT_EQ(rgb.size(), 3u + 3u * 1024u);
    EXPECT_EQ(rgb[2], 255);
    for (int v = 0; v < 32; ++v)
        for (int x = 0; x < 32; ++x) {
            const RGBColor want = ColorOf(picture[size_t(v)][size_t(x)]);
            const size_t at = size_t(3 + 3 * (v * 32 + x));
            EXPECT_EQ(rgb[at], want.red >> 8) << x << "," << v;
            EXPECT_EQ(rgb[at + 1], want.green >> 8) << x << "," << v;
            EXPECT_EQ(rgb[at + 2], want.blue >> 8) << x << "," << v;
        }
}

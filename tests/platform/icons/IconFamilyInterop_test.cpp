// Families written here must read back identically in independent readers
// (icns2png, Pillow), and families they write must read identically here.
#include "platform/core/Memory.h"
#include "platform/icons/IconFamily.h"
#include "platform/icons/IconSuites.h"
#include "tests/platform/icons/IconTestBytes.h"
#include "tests/support/Peers.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>


namespace fs = std::filesystem;

namespace {

using namespace icontest;

::testing::AssertionResult HavePillow() {
    if (RunCommand(Python() + " -c 'import PIL.IcnsImagePlugin' >/dev/null 2>&1")) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Pillow is not installed (scripts/setup-debian.sh installs python3-pil)";
}

// One 32-bit member and its 8-bit mask: smooth areas (runs), noise
// (literals) and runs that end at row ends.
struct Member {
    int edge = 0;
    Bytes argb;  // pad, r, g, b
    Bytes mask;
};

Member MakeMember(int edge) {
    Member m;
    m.edge = edge;
    m.argb.resize(size_t(edge * edge) * 4);
    m.mask.resize(size_t(edge * edge));
    UInt32 seed = UInt32(edge) * 2654435761u;
    for (int y = 0; y < edge; ++y) {
        for (int x = 0; x < edge; ++x) {
            seed = seed * 1103515245u + 12345u;
            const size_t i = size_t(y * edge + x);
            const bool noisy = (y % 4) == 1;
            m.argb[i * 4 + 1] = noisy ? UInt8(seed >> 16) : UInt8(x < edge / 2 ? 0x20 : 0xE0);
            m.argb[i * 4 + 2] = UInt8(y * 255 / (edge - 1));
            m.argb[i * 4 + 3] = noisy ? UInt8(seed >> 8) : UInt8((x / 5) * 40);
            m.mask[i] = (x + y) % 11 == 0 ? 0 : UInt8(255 - (x % 3) * 40);
        }
    }
    return m;
}

// RGBA of a decoded picture, row by row, not premultiplied.
Bytes Rgba(const QImage& image) {
    QImage im = image.convertToFormat(QImage::Format_RGBA8888);
    Bytes out;
    for (int y = 0; y < im.height(); ++y) {
        const UInt8* row = im.constScanLine(y);
        out.insert(out.end(), row, row + im.width() * 4);
    }
    return out;
}
Bytes Rgba(const Member& m) {
    Bytes out(m.mask.size() * 4);
    for (size_t i = 0; i < m.mask.size(); ++i) {
        out[i * 4] = m.argb[i * 4 + 1];
        out[i * 4 + 1] = m.argb[i * 4 + 2];
        out[i * 4 + 2] = m.argb[i * 4 + 3];
        out[i * 4 + 3] = m.mask[i];
    }
    return out;
}
QImage ToImage(const Member& m) {
    const Bytes rgba = Rgba(m);
    return QImage(rgba.data(), m.edge, m.edge, m.edge * 4, QImage::Format_RGBA8888).copy();
}
struct Kinds {
    int edge;
    OSType image;
    OSType mask;
};
const Kinds kKinds[] = {{16, FourCC("is32"), FourCC("s8mk")},
                        {32, FourCC("il32"), FourCC("l8mk")},
                        {128, FourCC("it32"), FourCC("t8mk")}};

// A family with the three 32-bit members and their masks: the two small
// ones through a suite, the thumbnail set directly, as the program does.
UniqueHandle WriteFamily(const std::vector<Member>& members) {
    UniqueIconSuite suite;
    EXPECT_EQ(NewIconSuite(suite.out()), noErr);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(AddIconToSuite(NewHandleFromBytes(members[size_t(k)].argb), suite.get(), kKinds[k].image), noErr);
        EXPECT_EQ(AddIconToSuite(NewHandleFromBytes(members[size_t(k)].mask), suite.get(), kKinds[k].mask), noErr);
    }
    Handle fam = nullptr;
    EXPECT_EQ(IconSuiteToIconFamily(suite.get(), 0x1F1F, &fam), noErr);
    UniqueHandle family(fam);
    UniqueHandle it32(NewHandleFromBytes(members[2].argb)), t8mk(NewHandleFromBytes(members[2].mask));
    EXPECT_EQ(SetIconFamilyData(fam, FourCC("it32"), it32.get()), noErr);
    EXPECT_EQ(SetIconFamilyData(fam, FourCC("t8mk"), t8mk.get()), noErr);
    return family;
}

// Reads the member pair of one size back as RGBA.
Bytes ReadPair(Handle family, const Kinds& k) {
    UniqueHandle image(NewHandle(0)), mask(NewHandle(0));
    EXPECT_EQ(GetIconFamilyData(family, k.image, image.get()), noErr);
    EXPECT_EQ(GetIconFamilyData(family, k.mask, mask.get()), noErr);
    const Member m{k.edge, BytesOf(image.get()), BytesOf(mask.get())};
    return m.argb.size() == size_t(k.edge * k.edge * 4) && m.mask.size() == size_t(k.edge * k.edge) ? Rgba(m) : Bytes{};
}

class IconFamilyInterop : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& k : kKinds) members_.push_back(MakeMember(k.edge));
    }
    std::string q(const fs::path& p) const { return "'" + p.string() + "'"; }
    // Writes this program's family of the three members; returns its path.
    fs::path WriteOurs() {
        UniqueHandle family = WriteFamily(members_);
        const fs::path file = dir_ / "korvel.icns";
        EXPECT_EQ(WriteIconFamilyFile(file.string(), family.get()), noErr);
        return file;
    }
    // The RGBA Pillow decodes for the member of one edge, empty if it fails.
    Bytes PillowRgba(const fs::path& file, int e) {
        const fs::path raw = dir_ / ("pil" + std::to_string(e) + ".rgba");
        const std::string size = std::to_string(e);
        const std::string script = "from PIL import IcnsImagePlugin as I\n"
                                   "im = I.IcnsFile(open('" + file.string() + "', 'rb')).getimage((" + size +
                                   ", " + size + ", 1))\n"
                                   "open('" + raw.string() + "', 'wb').write(im.convert('RGBA').tobytes())\n";
        return RunCommand(Python() + " -c \"" + script + "\"") ? Slurp(raw.string()) : Bytes{};
    }
    // Saves a member as a PNG for the other tools to read.
    fs::path SavePng(const Member& m) {
        const fs::path png = dir_ / ("src" + std::to_string(m.edge) + ".png");
        EXPECT_TRUE(ToImage(m).save(QString::fromStdString(png.string()), "PNG"));
        return png;
    }
    TempFolder tmp_;
    const fs::path dir_ = tmp_.path();
    std::vector<Member> members_;
};

TEST_F(IconFamilyInterop, Icns2pngAndPillowReadWhatKorvelWrites) {
    ASSERT_TRUE(HaveTools({"icns2png"}));
    ASSERT_TRUE(HavePillow());
    const fs::path file = WriteOurs();
    ASSERT_TRUE(RunCommand("icns2png -x -o " + q(dir_) + " " + q(file) + " >/dev/null 2>&1"));
    for (size_t i = 0; i < 3; ++i) {
        const std::string e = std::to_string(kKinds[i].edge);
        QImage im(QString::fromStdString((dir_ / ("korvel_" + e + "x" + e + "x32.png")).string()));
        ASSERT_EQ(im.width(), kKinds[i].edge) << e;
        EXPECT_EQ(Rgba(im), Rgba(members_[i])) << e;
        EXPECT_EQ(PillowRgba(file, kKinds[i].edge), Rgba(members_[i])) << e;
    }
}

TEST_F(IconFamilyInterop, KorvelReadsWhatPng2icnsWrites) {
    ASSERT_TRUE(HaveTools({"png2icns"}));
    std::string args;
    for (const auto& m : members_) args += " " + q(SavePng(m));
    const fs::path file = dir_ / "tool.icns";
    ASSERT_TRUE(RunCommand("png2icns " + q(file) + args + " >/dev/null 2>&1"));
    Handle fam = nullptr;
    ASSERT_EQ(ReadIconFamilyFile(file.string(), &fam), noErr);
    UniqueHandle family(fam);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(ReadPair(fam, kKinds[i]), Rgba(members_[i])) << kKinds[i].edge;
    // And through a suite for the two that suites hold.
    UniqueIconSuite suite;
    ASSERT_EQ(IconFamilyToIconSuite(fam, 0x1F1F, suite.out()), noErr);
    Handle il32 = nullptr;
    ASSERT_EQ(GetIconFromSuite(&il32, suite.get(), FourCC("il32")), noErr);
    EXPECT_EQ(BytesOf(il32), members_[1].argb);
}

TEST_F(IconFamilyInterop, KorvelReadsAndExtendsWhatPillowWrites) {
    ASSERT_TRUE(HavePillow());
    const Member& big = members_[2];
    const fs::path png = SavePng(big);
    const fs::path file = dir_ / "pil.icns";
    ASSERT_TRUE(RunCommand(Python() + " -c \"from PIL import Image; Image.open('" + png.string() + "').save('" +
                      file.string() + "')\""));
    Handle fam = nullptr;
    ASSERT_EQ(ReadIconFamilyFile(file.string(), &fam), noErr);
    UniqueHandle family(fam);
    const Bytes original = BytesOf(fam);

    // Its 128 x 128 member is a PNG, kept as it is.
    UniqueHandle ic07(NewHandle(0));
    ASSERT_EQ(GetIconFamilyData(fam, FourCC("ic07"), ic07.get()), noErr);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(reinterpret_cast<const uchar*>(*ic07.get()), int(GetHandleSize(ic07.get()))));
    EXPECT_EQ(Rgba(decoded), Rgba(big));

    // Add a small 32-bit member and its mask; Pillow then reads both the
    // new member and its own, untouched.
    UniqueHandle is32(NewHandleFromBytes(members_[0].argb)), s8mk(NewHandleFromBytes(members_[0].mask));
    ASSERT_EQ(SetIconFamilyData(fam, FourCC("is32"), is32.get()), noErr);
    ASSERT_EQ(SetIconFamilyData(fam, FourCC("s8mk"), s8mk.get()), noErr);
    const Bytes edited = BytesOf(fam);
    ASSERT_GT(edited.size(), original.size());
    EXPECT_TRUE(std::equal(original.begin() + 8, original.end(), edited.begin() + 8));  // appended after
    ASSERT_EQ(WriteIconFamilyFile(file.string(), fam), noErr);
    EXPECT_EQ(PillowRgba(file, 16), Rgba(members_[0]));
    EXPECT_EQ(PillowRgba(file, 128), Rgba(big));
}

}  // namespace

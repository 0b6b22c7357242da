// The icon the desktop shows for items without a custom icon, checked
// against the theme's own pictures read by Pillow; ".directory" editing.
#include "platform/icons/DesktopIcons.h"

#include "platform/core/Memory.h"

#include "tests/platform/files/TempFolder.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

namespace {

std::vector<UInt8> FamilyMember(IconRef ref, OSType type) {
    IconFamilyHandle family = nullptr;
    EXPECT_EQ(IconRefToIconFamily(ref, kSelectorAllAvailableData, &family), noErr);
    UniqueHandle owner(family);
    UniqueHandle data(NewHandle(0));
    EXPECT_EQ(GetIconFamilyData(family, type, data.get()), noErr) << type;
    const auto b = HandleBytes(data.get());
    return {b.begin(), b.end()};
}

TEST(DesktopIcons, ItemsWithoutCustomIconsShowTheThemesIcon) {
    TempFolder dir;
    Spill(dir / "readme.txt", TextBytes("plain text\n"));
    const std::string theme = "/usr/share/icons/Adwaita/";
    struct Case {
        std::string item, picture;
    } cases[] = {
        {dir / "readme.txt", theme + "32x32/mimetypes/text-x-generic.png"},
        {dir.path(), theme + "32x32/places/folder.png"},
    };
    for (const Case& c : cases) {
        IconRef ref = nullptr;
        const FSSpec fileSpec = FileSpecFor(c.item);
        ASSERT_EQ(GetIconRefFromFile(&fileSpec, &ref, nullptr), noErr) << c.item;
        std::vector<unsigned char> rgba;
        ASSERT_TRUE(RunCapture(Python() + " -c \"import sys; from PIL import Image; sys.stdout.buffer.write("
                                          "Image.open(sys.argv[1]).convert('RGBA').tobytes())\" '" + c.picture + "'",
                               rgba));
        const auto il32 = FamilyMember(ref, FourCC("il32")), l8mk = FamilyMember(ref, FourCC("l8mk"));
        const auto icn = FamilyMember(ref, FourCC("ICN#"));
        ASSERT_EQ(rgba.size(), 4096u);
        ASSERT_EQ(il32.size(), 4096u);
        ASSERT_EQ(icn.size(), 256u);
        for (size_t i = 0; i < 1024; ++i) {
            const bool opaque = rgba[i * 4 + 3] >= 128, bit = icn[128 + i / 8] & (0x80 >> (i % 8));
            ASSERT_EQ(l8mk[i], rgba[i * 4 + 3]) << i;
            ASSERT_EQ(bit, opaque) << i;
            // Qt's pixmaps are premultiplied: colours agree to that precision,
            // exactly where the pixel is opaque.
            const int alpha = rgba[i * 4 + 3];
            for (size_t k = 0; k < 3; ++k)
                ASSERT_LE(std::abs(il32[i * 4 + 1 + k] * alpha / 255 - rgba[i * 4 + k] * alpha / 255), alpha < 255)
                    << c.item << " pixel " << i;
        }
        EXPECT_EQ(FamilyMember(ref, FourCC("it32")).size(), 65536u);
        EXPECT_EQ(FamilyMember(ref, FourCC("s8mk")).size(), 256u);
        EXPECT_EQ(ReleaseIconRef(ref), noErr);
    }
}

TEST(DesktopIcons, DirectoryEntriesKeepTheirOtherLines) {
    struct Case {
        std::string before, with, without;
    } cases[] = {
        {"", "[Desktop Entry]\nIcon=./.icon.png\n", "[Desktop Entry]\n"},
        {"Name=a", "Name=a\n\n[Desktop Entry]\nIcon=./.icon.png\n", "Name=a\n\n[Desktop Entry]\n"},
        {"[Desktop Entry]\r\nIcon = old\r\nIcon[de]=alt\r\n[Other]\r\nIcon=x\r\n",
         "[Desktop Entry]\r\nIcon=./.icon.png\nIcon[de]=alt\r\n[Other]\r\nIcon=x\r\n",
         "[Desktop Entry]\r\nIcon[de]=alt\r\n[Other]\r\nIcon=x\r\n"},
    };
    for (const Case& c : cases) {
        const std::string with = DirectoryEntryWithIcon(c.before, "./.icon.png");
        EXPECT_EQ(with, c.with);
        EXPECT_EQ(DirectoryEntryWithoutIcon(with, "./.icon.png"), c.without);
        EXPECT_EQ(DirectoryEntryWithoutIcon(c.before, "./.icon.png"), c.before);
    }
    EXPECT_TRUE(IsEmptyDirectoryEntry("\n[Desktop Entry]\n\n"));
    EXPECT_FALSE(IsEmptyDirectoryEntry("[Desktop Entry]\n# note\n"));
}

}  // namespace

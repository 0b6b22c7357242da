#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "tests/platform/files/TempFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

TEST(FileTypes, SuffixOfAName) {
    const struct {
        const char* name;
        const char* suffix;
    } cases[] = {
        {"picture.png", ".png"},   {"name.12", ""},         {"name", ""},
        {"image.3.png", ".png"},   {"a.b.c", ".c"},         {"v1.2b", ".2b"},
        {"x.png.12", ".png.12"},   {".png", ".png"},        {"name.", ""},
        {"arch.tar.gz", ".gz"},    {"12.34", ""},           {"n.1a2", ".1a2"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        P name(c.name);
        Str255 suffix;
        suffix[0] = 99;
        GetSuffix(name.s, suffix);
        EXPECT_EQ(PStringToStd(suffix), c.suffix);
    }
}

// The table first, then the program's own suffixes; unknowns leave the type alone.
TEST(FileTypes, TypeFromSuffix) {
    const OSType none = FourCC("????");
    const struct {
        const char* name;
        OSType table;  // GetFileTypeFromSuffix
        OSType any;    // GetFileTypeFromAnySuffix
    } cases[] = {
        {"a.PCT", FourCC("PICT"), FourCC("PICT")},  {"a.JPeG", FourCC("JPEG"), FourCC("JPEG")},
        {"a.jpg", FourCC("JPEG"), FourCC("JPEG")},  {"a.png.12", none, none},
        {"a.12", none, none},                       {"png", none, none},
        {"a.kdot", none, none},                     {"Korvel.kprefs", none, FourCC("pref")},
        {"Lib.kdots", none, FourCC("iPat")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        P name(c.name);
        OSType type = none, any = none;
        EXPECT_EQ(GetFileTypeFromSuffix(name.s, &type), noErr);
        EXPECT_EQ(GetFileTypeFromAnySuffix(name.s, &any), noErr);
        EXPECT_EQ(type, c.table);
        EXPECT_EQ(any, c.any);
    }
}

TEST(FileTypes, ChangeSuffix) {
    const struct {
        const char* name;
        const char* suffix;
        const char* result;
        SInt16 base;
    } cases[] = {
        {"picture.png", ".pict", "picture.pict", 7},
        {"image.3.png", ".pict", "image.pict", 5},
        {"image.3", ".png", "image.png", 5},           // ".3" is no suffix, but a digit run
        {"shot12.png", ".pict", "shot.pict", 4},       // digits after a letter go with it
        {"123.png", ".pict", "123.pict", 3},           // only digits: kept
        {"name", ".icns", "name.icns", 4},
        {".png", ".pict", ".pict", 0},
        {"a.b.gif", ".png", "a.b.png", 3},
        // 31 bytes at most: the base gives way to the suffix.
        {"abcdefghijklmnopqrstuvwxyz0123456789.png", ".pict", "abcdefghijklmnopqrstuvwxyz.pict", 26},
        {"abcdefghijklmnopqrstuvwxyzABCDEFG.png", ".pict", "abcdefghijklmnopqrstuvwxyz.pict", 26},
        // Never cut inside a UTF-8 character ("é" is two bytes, the kana three).
        {"abcdefghijklmnopqrstuvwxéz.png", ".pict", "abcdefghijklmnopqrstuvwxé.pict", 26},
        {"abcdefghijklmnopqrstuvwxyé.png", ".pict", "abcdefghijklmnopqrstuvwxy.pict", 25},
        {"日本語のアイコンです.png", ".pict", "日本語のアイコン.pict", 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        P name(c.name);
        P suffix(c.suffix);
        EXPECT_EQ(ChangeSuffix(name.s, suffix.s), c.base);
        EXPECT_EQ(name.str(), c.result);
        EXPECT_LE(name.s[0], 31);
    }
}

TEST(FileTypes, TypeOfAFileAsTheProgramSeesIt) {
    TempFolder tmp;
    Spill(tmp / "plain.png", TextBytes("x"));
    Spill(tmp / "noname", TextBytes("x"));
    Spill(tmp / "typed.png", TextBytes("x"));
    Spill(tmp / "prefs.kprefs", TextBytes("x"));
    ASSERT_EQ(::mkdir((tmp / "folder.png").c_str(), 0777), 0);
    FSSpec fileSpec;
    ASSERT_EQ(FSSpecFromPath(tmp / "typed.png", &fileSpec), noErr);
    FInfo info;
    info.fdType = FourCC("icns");
    info.fdCreator = FourCC("Krvl");
    ASSERT_EQ(FSpSetFInfo(&fileSpec, &info), noErr);

    const struct {
        const char* name;
        OSErr err;
        OSType type;
    } cases[] = {
        {"plain.png", noErr, FourCC("PNGf")},    {"noname", noErr, 0},
        {"typed.png", noErr, FourCC("icns")},    {"prefs.kprefs", noErr, FourCC("pref")},
        {"folder.png", noErr, FourCC("fold")},   {"missing.png", fnfErr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(FSSpecFromPath(tmp / c.name, &fileSpec), noErr);
        OSType type = 1;
        EXPECT_EQ(FSpGetFileType(&fileSpec, &type), c.err);
        EXPECT_EQ(type, c.type);
    }
}

}  // namespace

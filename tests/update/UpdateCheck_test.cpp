// The update check: version numbers, the catalogue read defensively, and the
// command against catalogues on disk and a server that is not there.
#include "update/UpdateCheck.h"

#include "app/MenuBar.h"
#include "palettes/Prefs.h"
#include "platform/files/FileIO.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

UInt32 Num(const std::string& s) {
    Str255 p;
    CopyCStringToPascal(s, p);
    return KorvelVersionStrToNum(p);
}
std::span<const UInt8> Bytes(const std::string& s) { return {reinterpret_cast<const UInt8*>(s.data()), s.size()}; }

TEST(UpdateCatalog, VersionsAndCataloguesAreReadDefensively) {
    EXPECT_EQ(Num("1.0"), 0x10000u);
    EXPECT_EQ(Num("1.0.1"), 0x10100u);
    EXPECT_EQ(Num("1.1"), 0x11000u);
    EXPECT_EQ(Num("1.1b2"), 0x10F02u);
    EXPECT_EQ(Num("12"), 0x120000u);
    EXPECT_LT(Num("2.0a1"), Num("2.0"));
    EXPECT_GT(Num("2.0a1"), Num("1.9.9"));
    EXPECT_EQ(Num("123456789.99999999.9"), Num("1234.9999"));  // digits without a place are dropped

    KorvelCatalog c;
    const std::string longVersion = "1." + std::string(40, '5');
    ASSERT_TRUE(KorvelGetCatalogInfo(Bytes(longVersion + "\rNew tools\r\nhttps://k.test/get\nline 1\rline 2"), &c));
    EXPECT_EQ(PStringToStd(c.version), longVersion.substr(0, 31));
    EXPECT_EQ(PStringToStd(c.info), "New tools");
    EXPECT_EQ(PStringToStd(c.url), "https://k.test/get");
    EXPECT_EQ(c.notes, "line 1\rline 2");

    for (const std::string& bad : {std::string(""), std::string("v1.0\r\rhttps://k.test/"),
                                  std::string("1.0\r\rjavascript:alert(1)"), std::string("1.0\r\rfile:///etc/passwd"),
                                  std::string("2.0\r"), std::string("2.0\r\rhttps://k.test/\0x", 22)})
        EXPECT_FALSE(KorvelGetCatalogInfo(Bytes(bad), &c)) << bad;
}

class UpdateCheckTest : public PaintWindowTest {
protected:
    void SetUp() override {
        PaintWindowTest::SetUp();
        savedPrefRef_ = gPrefFileRefNum;
        gPrefFileRefNum = NewResFileInMemory();
    }
    void TearDown() override {
        CloseResFile(gPrefFileRefNum);
        gPrefFileRefNum = savedPrefRef_;
        UseResFile(gApplRefNum);
        PaintWindowTest::TearDown();
    }
    // The address as the preference gives it.
    void SetAddress(const std::string& address) {
        const SInt16 saved = CurResFile();
        UseResFile(gPrefFileRefNum);
        if (Handle old = Get1Resource(FourCC("STR "), 5001)) RemoveResource(old);
        Str255 p;
        CopyCStringToPascal(address, p);
        Handle h = NewHandle(p[0] + 1);
        std::copy_n(p, p[0] + 1, reinterpret_cast<UInt8*>(*h));
        AddResource(h, FourCC("STR "), 5001, nullptr);
        UseResFile(saved);
    }
    std::string Catalog(const std::string& name, const std::string& text) {
        const std::string path = dir_ / name;
        EXPECT_EQ(WriteFileAtomically(path, Bytes(text)), noErr);
        return "file://" + path;
    }
    SInt16 savedPrefRef_ = -1;
    TempFolder dir_;
};

TEST_F(UpdateCheckTest, TheCheckTellsTheUserWhatItFound) {
    EXPECT_EQ(InstallUpdateCheckItem(), 0);  // this build names no address
    SetAddress(Catalog("newer.txt", "99.0\rFaster\rhttps://k.test/get\rNotes"));
    const MenuItemIndex item = InstallUpdateCheckItem();
    ASSERT_GT(item, 1);

    const struct {
        std::string address;
        std::vector<SInt16> dialogs;
        std::string message;
    } cases[] = {
        {Catalog("newer.txt", "99.0\rFaster\rhttps://k.test/get\rNotes"), {1001}, ""},
        {Catalog("same.txt", "0.1.0\r\rhttps://k.test/get"), {201}, "You have the latest version of Korvel."},
        {Catalog("older.txt", "0.0.9\r\rhttps://k.test/get"), {201}, "You have the latest version of Korvel."},
        {Catalog("hostile.txt", std::string("\x89PNG\0\0\0", 7)), {201}, "The update information cannot be read."},
        {Catalog("huge.txt", "99.0\r\rhttps://k.test/\r" + std::string(100000, 'x')), {201},
         "The update information cannot be read."},
        {"file://" + (dir_ / "missing.txt"), {201}, "The update server could not be reached."},
        {"http://127.0.0.1:1/catalog.txt", {201}, "The update server could not be reached."},
    };
    for (const auto& c : cases) {
        SetAddress(c.address);
        ResetScriptLog();
        HandleMenuChoice(MenuChoice(kAppleMenuID, item));
        EXPECT_EQ(DialogsShown(), c.dialogs) << c.address;
        EXPECT_NE(LastAlertText().find(c.message), std::string::npos) << c.address;
    }
}

}  // namespace

// The update check: version numbers, the catalogue read defensively, and the
// command against catalogues on a local web server and a server that is not there.
#include "update/UpdateCheck.h"

#include "app/MenuBar.h"
#include "palettes/Prefs.h"
#include "platform/files/FileIO.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Text.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/Peers.h"

#include <csignal>
#include <cstdio>

using namespace painttest;

namespace {

std::span<const UInt8> Bytes(const std::string& s) { return {reinterpret_cast<const UInt8*>(s.data()), s.size()}; }
UInt32 Num(const std::string& s) {
    Str255 p;
    CopyCStringToPascal(s, p);
    return KorvelVersionStrToNum(p);
}

TEST(UpdateCatalog, VersionsAndCataloguesAreReadDefensively) {
    EXPECT_EQ(std::vector<UInt32>({Num("1.0"), Num("1.0.1"), Num("1.1"), Num("1.1b2"), Num("12")}),
              std::vector<UInt32>({0x10000, 0x10100, 0x11000, 0x10F02, 0x120000}));
    EXPECT_TRUE(Num("1.9.9") < Num("2.0a1") && Num("2.0a1") < Num("2.0"));
    EXPECT_EQ(Num("123456789.99999999.9"), Num("1234.9999"));  // digits without a place are dropped

    KorvelCatalog c;
    const std::string longVersion = "1." + std::string(40, '5');
    ASSERT_TRUE(KorvelGetCatalogInfo(Bytes(longVersion + "\rNew tools\r\nhttps://k.test/get\nline 1\rline 2"), &c));
    EXPECT_EQ(PStringToStd(c.version), longVersion.substr(0, 31));
    EXPECT_EQ(PStringToStd(c.info) + "|" + PStringToStd(c.url) + "|" + c.notes, "New tools|https://k.test/get|line 1\rline 2");
    for (const std::string& bad : {std::string(""), std::string("v1.0\r\rhttps://k.test/"), std::string("2.0\r"),
                                   std::string("1.0\r\rjavascript:alert(1)"), std::string("1.0\r\rfile:///etc/passwd"),
                                   std::string("2.0\r\rhttps://k.test/\0x", 22)})
        EXPECT_FALSE(KorvelGetCatalogInfo(Bytes(bad), &c)) << bad;
}

// python's web server on a free port of this machine, serving `folder`.
class LocalWebServer {
public:
    explicit LocalWebServer(const std::string& folder) {
        const std::string script = folder + "/serve.py";
        std::FILE* f = std::fopen(script.c_str(), "w");
        if (!f) return;
        std::fputs("import functools, http.server, os, sys\n"
                   "class Quiet(http.server.SimpleHTTPRequestHandler):\n"
                   "    def log_message(self, *args): pass\n"
                   "server = http.server.HTTPServer(('127.0.0.1', 0), functools.partial(Quiet, directory=sys.argv[1]))\n"
                   "print(os.getpid(), server.server_address[1], flush=True)\n"
                   "server.serve_forever()\n",
                   f);
        std::fclose(f);
        pipe_ = ::popen((Python() + " '" + script + "' '" + folder + "'").c_str(), "r");
        int port = 0;
        if (pipe_ && std::fscanf(pipe_, "%d %d", &pid_, &port) == 2)
            address_ = "http://127.0.0.1:" + std::to_string(port) + "/";
    }
    ~LocalWebServer() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        if (pipe_) ::pclose(pipe_);
    }
    const std::string& address() const { return address_; }

private:
    std::FILE* pipe_ = nullptr;
    int pid_ = 0;
    std::string address_;
};

// The address comes from the preferences file ('STR ' 5001) here.
TEST_F(PaintWindowTest, UpdateCheckTellsTheUserWhatItFound) {
    const SInt16 savedPrefs = std::exchange(gPrefFileRefNum, NewResFileInMemory());
    EXPECT_EQ(InstallUpdateCheckItem(), 0);  // this build names no address
    TempFolder dir;
    auto use = [&](const std::string& address) {
        UseResFile(gPrefFileRefNum);
        if (Handle old = Get1Resource(FourCC("STR "), 5001)) {
            RemoveResource(old);  // which leaves the handle to its caller
            DisposeHandle(old);
        }
        Handle h = NewHandle(Size(address.size() + 1));
        CopyCStringToPascal(address, reinterpret_cast<UInt8*>(*h));
        AddResource(h, FourCC("STR "), 5001, nullptr);
        UseResFile(gApplRefNum);
    };
    const LocalWebServer server(dir.path());
    ASSERT_FALSE(server.address().empty());
    auto catalog = [&](const std::string& name, const std::string& text) {
        EXPECT_EQ(WriteFileAtomically(dir / name, Bytes(text)), noErr);
        return server.address() + name;
    };
    use(catalog("newer.txt", "99.0\rFaster\rhttps://k.test/get\rNotes"));
    const MenuItemIndex item = InstallUpdateCheckItem();
    ASSERT_GT(item, 1);
    const std::string upToDate = "You have the latest", unreadable = "cannot be read", unreachable = "could not be reached";
    const std::pair<std::string, std::string> cases[] = {
        {catalog("newer.txt", "99.0\rFaster\rhttps://k.test/get\rNotes"), ""},  // the notes dialog
        {catalog("same.txt", "0.1.0\r\rhttps://k.test/get"), upToDate},
        {catalog("older.txt", "0.0.9\r\rhttps://k.test/get"), upToDate},
        {catalog("hostile.txt", std::string("\x89PNG\0\0\0", 7)), unreadable},
        {catalog("huge.txt", "99.0\r\rhttps://k.test/\r" + std::string(100000, 'x')), unreadable},
        {server.address() + "missing.txt", unreachable},
        {"http://127.0.0.1:1/catalog.txt", unreachable},
    };
    for (const auto& [address, message] : cases) {
        use(address);
        ResetScriptLog();
        HandleMenuChoice(MenuChoice(kAppleMenuID, item));
        EXPECT_EQ(DialogsShown(), std::vector<SInt16>{SInt16(message.empty() ? 1001 : 201)}) << address;
        EXPECT_NE(LastAlertText().find(message), std::string::npos) << address;
    }
    CloseResFile(gPrefFileRefNum);
    gPrefFileRefNum = savedPrefs;
}

// Notes wrap at spaces within the width, keep their own line breaks, and
// break a word wider than the box between whole characters.
TEST_F(PaintWindowTest, NotesWrapToTheirBox) {
    const Rect bounds{0, 0, 8, 8};
    UniqueGWorld port;
    ASSERT_EQ(NewGWorld(port.out(), 32, &bounds, nullptr, nullptr, 0), noErr);
    SavedGWorld saved;
    SetGWorld(port.get(), nullptr);
    TextFont(applFont);
    TextSize(10);
    auto wrap = [](const std::string& text, SInt16 width) {
        std::vector<std::string> shown;
        for (const NoteLine& line : WrapNotes(text, width)) shown.push_back(text.substr(line.start, line.length));
        return shown;
    };
    const SInt16 twoWords = TextWidth("alpha beta", 0, 10);
    EXPECT_EQ(wrap("alpha beta gamma\r\n\rdelta", twoWords),
              (std::vector<std::string>{"alpha beta", "gamma", "", "delta"}));
    const std::string accents = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";  // six é, no space
    const std::vector<std::string> pieces = wrap(accents, SInt16(TextWidth(accents.data(), 0, 4) + 1));
    EXPECT_EQ(pieces, std::vector<std::string>(3, "\xC3\xA9\xC3\xA9"));
}

}  // namespace

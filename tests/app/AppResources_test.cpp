// The embedded application resources: every interface resource decodes with
// the platform's own parsers and what it refers to exists; every resource the
// program's sources ask for by number is there; every menu command sits on an
// item of its menu.
#include "app/AppResources.h"
#include "app/MenuCommands.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/Windows.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class AppResources : public ::testing::Test {
protected:
    void SetUp() override {
        InitResources();
        ASSERT_EQ(OpenApplicationResources(), noErr);
    }
    void TearDown() override { InitResources(); }
};

MenuData MenuOf(ResID id) {
    MenuData m;
    EXPECT_EQ(ParseMenuResource(HandleBytes(Get1Resource(FourCC("MENU"), id)), &m), noErr) << "MENU " << id;
    return m;
}

TEST_F(AppResources, VersionIsTheProjectsInTheResourceAndOnTheCommandLine) {
    const std::string v = KORVEL_VERSION;
    int major = 0, minor = 0, bugfix = 0;
    ASSERT_EQ(std::sscanf(v.c_str(), "%d.%d.%d", &major, &minor, &bugfix), 3);
    const std::span<const UInt8> b = HandleBytes(Get1Resource(FourCC("vers"), 1));
    ASSERT_GE(b.size(), 7u + v.size());
    EXPECT_EQ(b[0], UInt8((major / 10) << 4 | major % 10));
    EXPECT_EQ(b[1], UInt8(minor << 4 | bugfix));
    EXPECT_EQ(b[2], 0x80);  // release
    EXPECT_EQ(std::string(b.begin() + 7, b.begin() + 7 + b[6]), v);
    std::vector<unsigned char> out;
    EXPECT_TRUE(RunCapture(std::string("'") + KORVEL_BINARY + "' --version", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Korvel " + v + "\n");
}

TEST_F(AppResources, EveryInterfaceResourceDecodesAndWhatItNamesExists) {
    auto each = [](const char (&type)[5], auto check) {
        const SInt16 n = Count1Resources(FourCC(type));
        EXPECT_GT(n, 0) << type;
        for (SInt16 i = 1; i <= n; ++i) {
            Handle h = Get1IndResource(FourCC(type), i);
            ResID id = 0;
            ResType t = 0;
            Str255 name;
            GetResInfo(h, &id, &t, name);
            check(HandleBytes(h), id);
        }
    };
    auto exists = [](const char (&type)[5], ResID id) { return Get1Resource(FourCC(type), id) != nullptr; };
    each("MENU", [&](std::span<const UInt8> b, ResID id) {
        MenuData m;
        EXPECT_EQ(ParseMenuResource(b, &m), noErr) << id;
        EXPECT_EQ(m.id, id);
        for (const MenuItemData& item : m.items)
            EXPECT_TRUE(item.cmd != hMenuCmd || exists("MENU", item.submenu)) << "MENU " << id;
    });
    each("WIND", [](std::span<const UInt8> b, ResID id) {
        WindowTemplate t;
        EXPECT_EQ(ParseWindowTemplate(b.data(), Size(b.size()), &t), noErr) << id;
        EXPECT_FALSE(t.visible) << id;  // every window is placed before it is shown
    });
    each("DLOG", [&](std::span<const UInt8> b, ResID id) {
        DialogTemplateData d;
        EXPECT_EQ(ParseDialogTemplate(b, &d), noErr) << id;
        EXPECT_TRUE(exists("DITL", d.itemsID)) << "DLOG " << id;
    });
    each("ALRT", [&](std::span<const UInt8> b, ResID id) {
        AlertTemplateData a;
        EXPECT_EQ(ParseAlertTemplate(b, &a), noErr) << id;
        EXPECT_TRUE(exists("DITL", a.itemsID)) << "ALRT " << id;
    });
    each("DITL", [&](std::span<const UInt8> b, ResID id) {
        std::vector<DialogItemData> items;
        EXPECT_EQ(ParseDialogItemList(b, &items), noErr) << id;
        for (const DialogItemData& item : items)
            EXPECT_TRUE((item.type & 0x7F) != ctrlItem + resCtrl || exists("CNTL", item.ResourceID())) << "DITL " << id;
    });
    each("CNTL", [&](std::span<const UInt8> b, ResID id) {
        ControlTemplateData c;
        EXPECT_EQ(ParseControlTemplate(b, &c), noErr) << id;
        if (c.procID == popupMenuProc) {
            EXPECT_TRUE(exists("MENU", c.min)) << "CNTL " << id;
            const size_t items = MenuOf(c.min).items.size();  // none: the program fills it
            EXPECT_TRUE(items == 0 || (c.value >= 1 && size_t(c.value) <= items)) << "CNTL " << id;
        }
    });
    each("CURS", [](std::span<const UInt8> b, ResID id) {
        ASSERT_EQ(b.size(), 68u) << id;
        for (int row = 0; row < 16; ++row)  // no ink outside the mask
            EXPECT_EQ((b[2 * row] & ~b[32 + 2 * row]) | (b[2 * row + 1] & ~b[33 + 2 * row]), 0) << id << " " << row;
        EXPECT_LT(b[64] << 8 | b[65], 16) << id;
        EXPECT_LT(b[66] << 8 | b[67], 16) << id;
    });
    std::vector<SInt16> bar;
    EXPECT_EQ(ParseMenuBarResource(HandleBytes(Get1Resource(FourCC("MBAR"), 128)), &bar), noErr);
    for (SInt16 id : bar) EXPECT_TRUE(exists("MENU", id)) << id;
}

// The sources' own resource numbers: literals, or constants defined once as
// `kName = number`. Each call that names one must find its resource, and a
// string list the item asked for.
TEST_F(AppResources, EveryResourceTheSourcesAskForExists) {
    const fs::path root = fs::path(KORVEL_TEST_DATA).parent_path().parent_path();
    std::string sources;
    for (const char* folder : {"app", "image", "io", "paint", "palettes", "tools"})
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            sources += text.str() + "\n";
        }
    std::map<std::string, std::set<long>> constants;
    const std::regex constant(R"(\b(k[A-Z]\w*)\s*=\s*(\d+)\b)");
    for (std::sregex_iterator it(sources.begin(), sources.end(), constant), end; it != end; ++it)
        constants[(*it)[1]].insert(std::stol((*it)[2]));
    auto value = [&](const std::string& word, long* out) {
        if (std::isdigit(UInt8(word[0]))) return (*out = std::stol(word)), true;
        const auto found = constants.find(word);
        return found != constants.end() && found->second.size() == 1 && ((*out = *found->second.begin()), true);
    };
    int checked = 0;
    auto check = [&](const std::string& type, const std::string& idWord, const std::string& itemWord,
                     const std::string& call) {
        long id = 0, item = 0;
        if (!value(idWord, &id)) return;  // worked out at run time
        ++checked;
        const OSType code = OSType(UInt8(type[0])) << 24 | OSType(UInt8(type[1])) << 16 |
                            OSType(UInt8(type[2])) << 8 | UInt8(type[3]);
        EXPECT_NE(Get1Resource(code, ResID(id)), nullptr) << type << " " << id << " for " << call;
        if (type == "STR#" && !itemWord.empty() && value(itemWord, &item)) {
            Str255 text;
            GetIndString(text, SInt16(id), SInt16(item));
            EXPECT_GT(text[0], 0) << "STR# " << id << " item " << item << " for " << call;
        }
    };
    const std::pair<const char*, const char*> calls[] = {  // group 1 the ID, group 2 a string's item
        {R"(\b(?:GetIndString\(\s*\w+\s*,|IndString\(|ErrorAlertFromResource\()\s*(\w+)\s*,\s*(?:(\w+)\s*\))?)",
         "STR#"},
        {R"(\bGetNewDialog\(\s*(\w+))", "DLOG"}, {R"(\bGetNewCWindow\(\s*(\w+))", "WIND"},
        {R"(\bGetMenu\(\s*(\w+))", "MENU"}, {R"(\bGetCursor\(\s*(\w+))", "CURS"}, {R"(\bGetCTable\(\s*(\w+))", "clut"},
        {R"(\bGetIndPattern\(\s*[^,]+,\s*(\w+))", "PAT#"}, {R"(\bGetPattern\(\s*[^,]+,\s*(\w+))", "PAT "},
    };
    for (const auto& [pattern, type] : calls) {
        const std::regex re(pattern);
        for (std::sregex_iterator it(sources.begin(), sources.end(), re), end; it != end; ++it)
            check(type, (*it)[1], (*it)[2].matched ? std::string((*it)[2]) : "", it->str());
    }
    const std::regex any(R"re(\bGet1?Resource\(\s*FourCC\("(.{4})"\)\s*,\s*(\w+)\s*\))re");
    for (std::sregex_iterator it(sources.begin(), sources.end(), any), end; it != end; ++it)
        check((*it)[1], (*it)[2], "", it->str());
    EXPECT_GE(checked, 40);  // the scan still understands the sources
}

// Every (menu, item) of the command table is a real, non-separator item.
TEST_F(AppResources, MenuCommandsSitOnItemsOfTheirMenus) {
    int commands = 0;
    for (MenuID menu = 128; menu < 256; ++menu) {
        if (!Get1Resource(FourCC("MENU"), menu)) continue;
        const MenuData m = MenuOf(menu);
        for (MenuItemIndex item = 1; item <= 64; ++item) {
            if (!FindMenuCommand(menu, item)) continue;
            ++commands;
            ASSERT_LE(size_t(item), m.items.size()) << "MENU " << menu;
            EXPECT_FALSE(IsSeparatorText(m.items[size_t(item - 1)].text)) << "MENU " << menu << " item " << item;
        }
    }
    EXPECT_GT(commands, 20);
}

}  // namespace

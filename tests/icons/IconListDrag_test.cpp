// Icons dragged out of an icon-list window as folders with custom icons and
// as Windows icon files, and into another list; files dropped onto a list.
#include "icons/IconListDrag.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "platform/raster/ColorTables.h"
#include "platform/resources/ResourceFork.h"
#include "tests/image/IconTestSupport.h"
#include "tests/support/Peers.h"
#include "tests/support/ProgramTest.h"

#include <QMimeData>
#include <QUrl>

namespace {

using Bytes = std::vector<UInt8>;

std::vector<ResID> IDs(WindowRef w) {
    std::vector<ResID> ids;
    for (const IconEntry& e : GetIconFileRec(w)->entries) ids.push_back(e.resID);
    return ids;
}

class IconListDragTest : public ProgramTest {
protected:
    void TearDown() override {
        SetTrackDragScript({});
        ProgramTest::TearDown();
    }
    // A list of icons `ids`, each named "robot", with its own 'ICN#' and 'icl8'.
    WindowRef OpenList(const std::string& name, std::initializer_list<ResID> ids) {
        ResourceForkImage image;
        for (ResID id : ids)
            for (SInt16 kind : {kKindICNImage, kKindIcl8})
                image.resources.push_back({gIconType[size_t(kind)], id, true, "robot", 32, icontest::MemberBytes(kind)});
        Bytes fork;
        EXPECT_EQ(SerializeResourceFork(image, &fork), noErr);
        Spill(folder_ / name, fork);
        EXPECT_EQ(OpenIconWindow(FileSpecFor(folder_ / name)), noErr);
        return FrontDocumentWindow();
    }
    static Point Global(WindowRef w, Point local) {
        SetPortWindowPort(w);
        LocalToGlobal(&local);
        return local;
    }
    // Drags the list's selected icons to `receive`, which stands for the
    // receiver; the names of the files it was given.
    static std::vector<std::string> DragFrom(WindowRef w, EventModifiers modifiers,
                                             const std::function<OSErr(DragRef, const std::string&)>& receive) {
        std::vector<std::string> names;
        SetTrackDragScript([&](DragRef drag, QMimeData* offered) {
            for (const QUrl& url : offered->urls()) names.push_back(url.fileName().toStdString());
            return receive(drag, offered->urls().value(0).toLocalFile().toStdString());
        });
        EventRecord press;
        press.where = Global(w, Point{20, 25});
        press.modifiers = modifiers;
        EXPECT_EQ(MyDoStartDragIcon(w, &press), noErr);
        return names;
    }
    TempFolder folder_;
};

// Two icons of one name become "robot" and "robot 1" with the list's icon as
// their custom icon, and with the command key "robot.ico" and "robot 1.ico"
// (checked by Pillow); dropped onto another list they are added, onto their
// own list refused.
TEST_F(IconListDragTest, IconsDragOutAsFilesAndIntoAnotherList) {
    WindowRef other = OpenList("other.rsrc", {128});
    MoveWindow(other, 600, 400, false);
    WindowRef list = OpenList("icons.rsrc", {128, 129});
    SelectAllIcons(list);
    KorvelIconOwner listed;
    ASSERT_EQ(MyGetKorvelIcon(GetIconFileRec(list), listed.get(), {128, kIconListTypeClassic}, nullptr, nullptr), noErr);
    EXPECT_EQ(DragFrom(list, 0, [&](DragRef drag, const std::string& first) {
        KorvelIconOwner icon;
        Boolean has32 = false;
        SInt16 status = 0;
        const FSSpec fileSpec = FileSpecFor(first);
        EXPECT_EQ(GetFileKorvelIcon(&fileSpec, icon.get(), true, &has32, &status), noErr);
        for (SInt16 kind : {kKindICNImage, kKindIcl8})
            EXPECT_EQ(icontest::MemberOf(*icon, kind), icontest::MemberOf(*listed, kind)) << kind;
        ScriptDragMove(drag, Global(other, Point{30, 30}), 0);
        const std::vector<Rect> hilite = DragHiliteRects(drag);
        EXPECT_TRUE(!hilite.empty() && hilite.front().top == 0 && hilite.front().left == 0);
        EXPECT_EQ(ScriptDragDrop(drag, Global(list, Point{30, 30}), 0), dragNotAcceptedErr);
        return ScriptDragDrop(drag, Global(other, Point{30, 30}), 0);
    }), (std::vector<std::string>{"robot", "robot 1"}));
    EXPECT_EQ(IDs(other), (std::vector<ResID>{128, 129, 130}));
    EXPECT_EQ(IDs(list), (std::vector<ResID>{128, 129}));
    // Names from the file never lead out of the drop folder.
    for (const auto& [name, file] : {std::pair{"\x06../a:b", "..-a-b"}, {"\x02..", "icons.rsrc 7"}})
        EXPECT_EQ(IconFileBaseName(*GetIconFileRec(list), reinterpret_cast<ConstStr255Param>(name), 7), file);

    Bytes rgba;
    EXPECT_EQ(DragFrom(list, cmdKey, [&](DragRef, const std::string& first) {
        EXPECT_TRUE(RunCapture(Python() + " -c \"import sys; from PIL import IcoImagePlugin as I\nf=I.IcoFile(open('" + first +
                                   "','rb'))\ni=min(range(len(f.entry)),key=lambda i:f.entry[i]['offset'])\n"
                                   "sys.stdout.buffer.write(f.frame(i).convert('RGBA').tobytes())\"", rgba));
        return OSErr(noErr);
    }), (std::vector<std::string>{"robot.ico", "robot 1.ico"}));
    ASSERT_EQ(rgba.size(), 32u * 32 * 4);
    const Bytes icl8 = icontest::MemberOf(*listed, kKindIcl8), icn = icontest::MemberOf(*listed, kKindICNImage);
    int wrong = 0;  // opaque where the mask is set, there in the colour of the 'icl8' pixel
    for (size_t i = 0; i < 1024; ++i) {
        const RGBColor c = CTabEntries(StandardCTable(8))[icl8[i]].rgb;
        const bool opaque = icn[128 + i / 8] & (0x80 >> (i % 8));
        wrong += rgba[i * 4 + 3] != (opaque ? 255 : 0) || (opaque && (rgba[i * 4] != c.red >> 8 ||
                 rgba[i * 4 + 1] != c.green >> 8 || rgba[i * 4 + 2] != c.blue >> 8));
    }
    EXPECT_EQ(wrong, 0);
}

// An .icns and an .ico dropped take the next free IDs, undone in one step; a
// truncated .icns is named in an alert and changes nothing.
TEST_F(IconListDragTest, DroppedFilesBecomeIcons) {
    WindowRef list = OpenList("icons.rsrc", {128, 129, 131});
    const std::string data = KORVEL_TEST_DATA, icns = data + "/icns/classic.icns";
    auto drop = [&](std::initializer_list<std::string> paths) {
        std::string uris;
        for (const std::string& p : paths) uris += QUrl::fromLocalFile(QString::fromStdString(p)).toEncoded().toStdString() + "\r\n";
        return ScriptForeignDrop({{"text/uri-list", Bytes(uris.begin(), uris.end())}}, Global(list, Point{40, 40}), 0);
    };
    ASSERT_EQ(drop({icns, data + "/ico/magick-8-1.ico"}), noErr);
    EXPECT_EQ(IDs(list), (std::vector<ResID>{128, 129, 130, 131, 132}));
    KorvelIconOwner expected, added;
    const FSSpec icnsSpec = FileSpecFor(icns);
    ASSERT_EQ(XIconToKorvelIcon(&icnsSpec, expected.get()), noErr);
    ASSERT_EQ(MyGetKorvelIcon(GetIconFileRec(list), added.get(), GetIconFileRec(list)->entries[2], nullptr, nullptr), noErr);
    EXPECT_EQ(icontest::MemberOf(*added, kKindIcl8), icontest::MemberOf(*expected, kKindIcl8));
    DoUndoIconList(list);
    EXPECT_EQ(IDs(list), (std::vector<ResID>{128, 129, 131}));

    const Bytes whole = Slurp(icns);
    Spill(folder_ / "cut.icns", Bytes(whole.begin(), whole.end() - 5));
    ASSERT_EQ(drop({folder_ / "cut.icns"}), noErr);
    EXPECT_NE(LastAlertText().find("“cut.icns”"), std::string::npos) << LastAlertText();
    EXPECT_EQ(IDs(list), (std::vector<ResID>{128, 129, 131}));
    EXPECT_EQ(GetIconFileRec(list)->undoMode, -kIconListUndoAdd);
}

}  // namespace

#include "palettes/Prefs.h"

#include "app/Alerts.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "palettes/ColorPalettes.h"
#include "palettes/PrefsCodec.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/raster/ColorTables.h"
#include "platform/resources/Resources.h"

#include <cstring>
#include <utility>
#include <filesystem>

SInt16 gPrefFileRefNum = -1;
SInt16 gListBackground = 1;
SInt16 gPaletteCheck = 0;
PNGFilePrefs gPNGFilePrefs;
ToolPrefs gToolPrefs;
OSType gPICTCreator = FourCC("Krvl"), gGIFCreator = FourCC("Krvl"), gIconCreator = FourCC("Krvl"),
       gPNGCreator = FourCC("Krvl");
SInt16 gStartup = 1;
SInt16 gPreviewIconFlag = 0;
std::array<UInt8, 4> gTabletPrefs{0, 1, 0, 0};
PaintWinPrefs gPaintWinPrefs;
std::array<UInt8, 8> gOtherPrefs{0, 0, 0, 0, 1, 1, 0, 0};
std::array<UInt32, 20> gUsedCount{};
SInt16 gAngle = 90;
std::array<UInt8, 6> gDotPicturePrefs{};
std::array<UInt8, 4> gWindPrefs{};
std::array<UInt8, 266> gTypeStringPrefs{};
std::array<UInt8, 6> gEdgePrefs{0, 1, 0, 1, 0, 1};
Str255 gDotCommand = {0};
Str255 gDotLibName = {0};
FSSpec gExternalEditor;
Boolean isExternalEditorAvailable = false;
FSSpec gResEditor;
Boolean isResEditAvailable = false;
UInt8 gUseExternalEditor = 1;
CTabHandle gFavoriteColors = nullptr;
Boolean useNavigationServices = true;
SInt16 gPatternNo = 1;
SInt16 gKeyThreshStore[2] = {0, 0};

namespace {

constexpr const char* kDefaultPrefFileName = "Korvel Preferences";
constexpr OSType kPrefCreator = FourCC("Krvl");
constexpr OSType kPrefFileType = FourCC("pref");
constexpr int kFavoriteColorCount = 34;
constexpr SInt16 kFavoriteColorsCLUT = 130;
constexpr Size kMaxStoredString = 32;
// Stored colour tables hold at most 256 entries.
constexpr Size kMaxStoredTable = 8 + 256 * 8;
// The 'alis' records: 128 the external editor, 129 the resource editor.
constexpr ResID kResEditorRecord = 129;

struct PStr {
    Str255 s;
    explicit PStr(const char* text) { CopyCStringToPascal(text, s); }
    operator ConstStr255Param() const { return s; }
};

template <class T>
[[nodiscard]] OSErr SavePref(const T& value, ResType type, ResID id, const char* name) {
    const std::vector<UInt8> bytes = EncodePref(value);
    return AddDataToPrefs(bytes.data(), Size(bytes.size()), type, id, PStr(name));
}

// A missing record leaves the value as it is; a short one replaces only
// its first bytes.
template <class T>
[[nodiscard]] OSErr LoadPref(T* value, ResType type, ResID id) {
    std::vector<UInt8> bytes = EncodePref(*value);
    const Size want = Size(bytes.size());
    Handle h = Get1Resource(type, id);
    if (!h) return resNotFound;
    const std::span<const UInt8> stored = HandleBytes(h);
    const size_t n = std::min(stored.size(), size_t(want));
    OverlayPref(stored.first(n), value);
    ReleaseResource(h);
    return noErr;
}

// The whole record, up to `cap` bytes; false when there is none.
bool LoadWholeRecord(ResType type, ResID id, Size cap, std::vector<UInt8>* out) {
    Handle h = Get1Resource(type, id);
    if (!h) return false;
    const std::span<const UInt8> stored = HandleBytes(h);
    out->assign(stored.begin(), stored.begin() + std::min(stored.size(), size_t(cap)));
    ReleaseResource(h);
    return true;
}

[[nodiscard]] OSErr SaveString(ConstStr255Param s, ResID id, const char* name) {
    return AddDataToPrefs(s, Size(s[0]) + 1, FourCC("STR "), id, PStr(name));
}

// At most the first 32 bytes come back; the length byte is cut to what was
// read so the string never claims bytes it does not hold.
void LoadString(StringPtr s, ResID id) {
    UInt8 buf[kMaxStoredString] = {0};
    Handle h = Get1Resource(FourCC("STR "), id);
    if (!h) return;
    const std::span<const UInt8> stored = HandleBytes(h);
    const size_t n = std::min(stored.size(), size_t(kMaxStoredString));
    std::copy_n(stored.begin(), n, buf);
    ReleaseResource(h);
    if (n == 0) return;
    const size_t length = std::min<size_t>(buf[0], n - 1);
    std::memset(s, 0, sizeof(Str255));
    std::memcpy(s + 1, buf + 1, length);
    s[0] = UInt8(length);
}

void SetFavoriteDefaults() {
    DisposeCTable(gFavoriteColors);
    gFavoriteColors = ResizeColorTable(UniqueCTable(GetCTable(kFavoriteColorsCLUT)), kFavoriteColorCount).release();
}

// The stored favourites stand as they were saved, emptied or grown; a table
// longer than the palette holds is cut to its 96 cells.
void LoadFavoriteColors() {
    std::vector<UInt8> bytes;
    if (!LoadWholeRecord(FourCC("clut"), 128, kMaxStoredTable, &bytes)) return;
    UniqueCTable ct = DecodeColorTable(bytes);
    if (ct && CTabCount(ct.get()) > kMaxFavoriteColors) ct = ResizeColorTable(std::move(ct), kMaxFavoriteColors);
    if (!ct) return;
    DisposeCTable(gFavoriteColors);
    gFavoriteColors = ct.release();
}

// An application named by its path in 'alis' `id`; a record that names
// nothing that exists is removed.
Boolean LoadApplicationRecord(ResID id, FSSpec* application) {
    std::vector<UInt8> bytes;
    if (!LoadWholeRecord(FourCC("alis"), id, Size(kMaxEditorPath) + 6, &bytes)) return false;
    std::string path;
    std::error_code ec;
    FSSpec fileSpec;
    if (DecodeEditorRecord(bytes, &path) && std::filesystem::exists(path, ec) &&
        FSSpecFromPath(path, &fileSpec) == noErr) {
        *application = fileSpec;
        return true;
    }
    (void)RemoveDataFromPrefs(FourCC("alis"), id);
    return false;
}

void LoadExternalEditor() {
    if (LoadApplicationRecord(128, &gExternalEditor)) isExternalEditorAvailable = true;
    if (LoadApplicationRecord(kResEditorRecord, &gResEditor)) isResEditAvailable = true;
}

// Keeps the pixel-grid style 0..4 and the block-grid code 0..2.
UInt16 CheckGridSetting(UInt16 g) {
    g &= 0x37;
    if ((g & 0x0F) > 4) g &= 0x31;
    if ((g & 0x30) == 0x30) g &= UInt16(~0x10);
    return g;
}

// Records of older versions, moved into the current ones.
template <class T>
bool MigrateOldRecord(T* value, ResType type) {
    if (LoadPref(value, type, 128) != noErr) return false;
    (void)RemoveDataFromPrefs(type, 128);
    return true;
}

void UseApplicationResources() {
    const SInt16 app = GetApplicationResFile();
    if (app != kResFileNotOpen) UseResFile(app);
}

// The file is the program's own: a record that another tool locked or
// protected still takes new values and can still be removed.
void ReleaseHold(Handle h) {
    const SInt16 attrs = GetResAttrs(h);
    if (attrs & (resLocked | resProtected)) SetResAttrs(h, SInt16(attrs & ~(resLocked | resProtected)));
}

}  // namespace

void SetPrefDefaults() {
    gListBackground = 1;
    gPaletteCheck = 0;
    gPNGFilePrefs = PNGFilePrefs{};
    gToolPrefs = ToolPrefs{};
    gToolPrefs.keyRepeatDelay = gKeyThreshStore[0];
    gToolPrefs.keyRepeatInterval = gKeyThreshStore[1];
    gPICTCreator = gGIFCreator = gPNGCreator = FourCC("Krvl");
    gIconCreator = isOSX ? FourCC("Krvl") : FourCC("RSED");
    gStartup = 1;
    gPreviewIconFlag = 0;
    gTabletPrefs = {0, 1, 0, 0};
    gPaintWinPrefs = PaintWinPrefs{};
    gOtherPrefs = {0, 0, 0, 0, 1, 1, 0, 0};
    gUsedCount.fill(0);
    gAngle = 90;
    gDotPicturePrefs.fill(0);
    gWindPrefs.fill(0);
    // Font 0, 12 point, plain, the text "text", not smoothed, font item 0.
    gTypeStringPrefs.fill(0);
    gTypeStringPrefs[3] = 12;
    gTypeStringPrefs[6] = 4;
    std::memcpy(&gTypeStringPrefs[7], "text", 4);
    gEdgePrefs = {0, 1, 0, 1, 0, 1};
    std::memset(gDotCommand, 0, sizeof gDotCommand);
    std::memset(gDotLibName, 0, sizeof gDotLibName);
    gExternalEditor = FSSpec{};
    isExternalEditorAvailable = false;
    gResEditor = FSSpec{};
    isResEditAvailable = false;
    gUseExternalEditor = gSystemVersion > 0x084F ? 1 : 0;
    SetFavoriteDefaults();
}

OSErr GetPrefFileSpec(FSSpec* fileSpec) {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID)) return err;
    Str255 name;
    GetIndString(name, kPrefFileNameStrList, 1);
    if (name[0] == 0) CopyCStringToPascal(kDefaultPrefFileName, name);
    const OSErr err = FSMakeFSSpec(vRefNum, dirID, name, fileSpec);
    return err == fnfErr ? OSErr(noErr) : err;
}

void LoadPrefFile() {
    SetPrefDefaults();
    gPrefFileRefNum = -1;

    FSSpec fileSpec;
    if (GetPrefFileSpec(&fileSpec) != noErr) {
        ErrorAlertFromResource(kPrefsErrStrings, 1);
        return;
    }
    // Only a missing file is made; an existing one that does not open is
    // left exactly as it is, so a damaged file is never replaced.
    if (!FSpExists(&fileSpec)) FSpCreateResFile(&fileSpec, kPrefCreator, kPrefFileType, smSystemScript);
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    if (ref == kResFileNotOpen) {
        ErrorAlertFromResource(kPrefsErrStrings, 2);
        UseApplicationResources();
        return;
    }
    gPrefFileRefNum = ref;
    UseResFile(ref);
    LoadPrefRecords();
    UseApplicationResources();
}

void LoadPrefRecords() {
    (void)LoadPref(&gPaletteCheck, FourCC("cAIC"), 128);
    if (isOSX && gPaletteCheck == 3) gPaletteCheck = 0;
    (void)LoadPref(&gListBackground, FourCC("lBak"), 128);
    if (isOSX && gListBackground == 4) gListBackground = 1;
    (void)LoadPref(&gPNGFilePrefs, FourCC("gSet"), 128);
    gPNGFilePrefs.reserved = 0;
    (void)LoadPref(&gToolPrefs, FourCC("pPrf"), 128);
    gToolPrefs.gridSetting = CheckGridSetting(gToolPrefs.gridSetting);
    (void)LoadPref(&gPICTCreator, FourCC("DCrt"), 128);
    (void)LoadPref(&gGIFCreator, FourCC("DCrt"), 129);
    (void)LoadPref(&gIconCreator, FourCC("DCrt"), 130);
    (void)LoadPref(&gPNGCreator, FourCC("DCrt"), 131);
    (void)LoadPref(&gStartup, FourCC("Stup"), 128);
    (void)LoadPref(&gPreviewIconFlag, FourCC("fPrf"), 128);
    (void)LoadPref(&gTabletPrefs, FourCC("tPrf"), 128);
    (void)LoadPref(&gPaintWinPrefs, FourCC("PWpf"), 128);
    if (gPaintWinPrefs.colorMode != 8 && gPaintWinPrefs.colorMode != 24) gPaintWinPrefs.colorMode = 8;

    if (MigrateOldRecord(&gToolPrefs.gridSetting, FourCC("gMod"))) gToolPrefs.gridSetting &= 3;
    MigrateOldRecord(&gToolPrefs.showRuler, FourCC("rMod"));
    MigrateOldRecord(&gPaintWinPrefs.pictRect, FourCC("iSiz"));
    MigrateOldRecord(&gPaintWinPrefs.ratio, FourCC("eRat"));
    MigrateOldRecord(&gPaintWinPrefs.showSizeDialog, FourCC("aSiz"));
    MigrateOldRecord(&gPaintWinPrefs.sizeFromClipboard, FourCC("rClp"));

    (void)LoadPref(&gOtherPrefs, FourCC("oPrf"), 128);
    if (gOtherPrefs[kOtherLargePatterns]) gPatternNo = 12;
    if (!isIconServicesAvailable) gOtherPrefs[kOtherStoreAsIcns] = 0;

    (void)LoadPref(&gUsedCount, FourCC("uCnt"), 128);
    CountUse(kUsedStarts);

    LoadPaintPrefs();
    LoadString(gDotCommand, 128);
    LoadString(gDotLibName, 129);
    LoadExternalEditor();
    (void)LoadPref(&gUseExternalEditor, FourCC("uExE"), 128);
    LoadFavoriteColors();
}

OSErr SavePrefFile() {
    const OSErr err = SavePrefFileMain();
    if (err != noErr && err != -1) ErrorAlertFromResource(kPrefsErrStrings, 3);
    return err;
}

OSErr SavePrefFileMain() {
    if (gPrefFileRefNum == -1) return -1;
    UseResFile(gPrefFileRefNum);
    OSErr first = noErr;
    auto keep = [&first](OSErr err) {
        if (first == noErr) first = err;
    };
    keep(SavePref(gListBackground, FourCC("lBak"), 128, "background of icon list"));
    keep(SavePref(gPaletteCheck, FourCC("cAIC"), 128, "color palette check"));
    keep(SavePref(gPNGFilePrefs, FourCC("gSet"), 128, "png file prefs"));
    keep(SavePref(gToolPrefs, FourCC("pPrf"), 128, "tool prefs"));
    keep(SavePref(gPICTCreator, FourCC("DCrt"), 128, "pict creator"));
    keep(SavePref(gGIFCreator, FourCC("DCrt"), 129, "gif creator"));
    keep(SavePref(gIconCreator, FourCC("DCrt"), 130, "icon creator"));
    keep(SavePref(gPNGCreator, FourCC("DCrt"), 131, "png creator"));
    keep(SavePref(gStartup, FourCC("Stup"), 128, "startup setting"));
    keep(SavePref(gPreviewIconFlag, FourCC("fPrf"), 128, "add preview icon"));
    keep(SavePref(gTabletPrefs, FourCC("tPrf"), 128, "tablet prefs"));
    keep(SavePref(gPaintWinPrefs, FourCC("PWpf"), 128, "paint window prefs"));
    keep(SavePref(gOtherPrefs, FourCC("oPrf"), 128, "other Prefs"));
    keep(SavePref(gUsedCount, FourCC("uCnt"), 128, "count of use"));
    SavePaintPrefs();
    keep(SaveString(gDotCommand, 128, "dot mode command"));
    keep(SaveString(gDotLibName, 129, "dot lib name"));
    const std::string editor = gExternalEditor.name[0] ? FSSpecToPath(&gExternalEditor) : std::string();
    if (!editor.empty()) {
        const std::vector<UInt8> record = EncodeEditorRecord(editor);
        keep(AddDataToPrefs(record.data(), Size(record.size()), FourCC("alis"), 128, PStr("external editor")));
    } else {
        (void)RemoveDataFromPrefs(FourCC("alis"), 128);
    }
    const std::string resEditor = gResEditor.name[0] ? FSSpecToPath(&gResEditor) : std::string();
    if (!resEditor.empty()) {
        const std::vector<UInt8> record = EncodeEditorRecord(resEditor);
        keep(AddDataToPrefs(record.data(), Size(record.size()), FourCC("alis"), kResEditorRecord,
                            PStr("resource editor")));
    } else {
        (void)RemoveDataFromPrefs(FourCC("alis"), kResEditorRecord);
    }
    keep(SavePref(gUseExternalEditor, FourCC("uExE"), 128, "use external editor"));
    const std::vector<UInt8> favorites = EncodeColorTable(gFavoriteColors);
    if (!favorites.empty())
        keep(AddDataToPrefs(favorites.data(), Size(favorites.size()), FourCC("clut"), 128, PStr("favorite colors")));
    // Written now rather than only at close, so a later crash keeps them.
    UpdateResFile(gPrefFileRefNum);
    keep(ResError());
    UseApplicationResources();
    if (quit) ClosePrefFile();
    return first;
}

void ClosePrefFile() {
    if (gPrefFileRefNum == -1) return;
    UseResFile(gPrefFileRefNum);
    SaveWindowPos();
    CloseResFile(gPrefFileRefNum);
    gPrefFileRefNum = -1;
    UseApplicationResources();
    (void)FlushVol(nullptr, kOnSystemDisk);
}

OSErr AddDataToPrefs(const void* data, Size size, ResType type, ResID id, ConstStr255Param name) {
    if (size < 0 || (size > 0 && !data)) return paramErr;
    Handle h = Get1Resource(type, id);
    if (h) {
        ReleaseHold(h);
        if (GetHandleSize(h) != size) {
            SetHandleSize(h, size);
            if (OSErr err = MemError()) {
                ReleaseResource(h);
                return err;
            }
        }
        if (size > 0) std::memcpy(*h, data, size_t(size));
        ChangedResource(h);
        const OSErr err = ResError();
        ReleaseResource(h);
        return err;
    }
    UniqueHandle fresh(NewHandle(size));
    if (!fresh) return memFullErr;
    if (size > 0) std::memcpy(*fresh.get(), data, size_t(size));
    AddResource(fresh.get(), type, id, name);
    if (OSErr err = ResError()) return err;
    h = fresh.release();
    SetResAttrs(h, resPurgeable);
    ChangedResource(h);
    const OSErr err = ResError();
    ReleaseResource(h);
    return err;
}

OSErr LoadDataFromPrefs(void* data, Size size, ResType type, ResID id) {
    Handle h = Get1Resource(type, id);
    if (!h) return resNotFound;
    const std::span<const UInt8> stored = HandleBytes(h);
    const size_t n = std::min(stored.size(), size_t(std::max<Size>(size, 0)));
    if (n > 0) std::memcpy(data, stored.data(), n);
    ReleaseResource(h);
    return noErr;
}

OSErr RemoveDataFromPrefs(ResType type, ResID id) {
    Handle h = Get1Resource(type, id);
    if (!h) return resNotFound;
    ReleaseHold(h);
    RemoveResource(h);
    const OSErr err = ResError();
    if (err != noErr) {
        ReleaseResource(h);
        return err;
    }
    DisposeHandle(h);
    return noErr;
}

void LoadPaintPrefs() {
    (void)LoadPref(&gAngle, FourCC("pprf"), 128);
    (void)LoadPref(&gDotPicturePrefs, FourCC("pprf"), 129);
    (void)LoadPref(&gWindPrefs, FourCC("pprf"), 130);
    (void)LoadPref(&gTypeStringPrefs, FourCC("pprf"), 131);
    (void)LoadPref(&gEdgePrefs, FourCC("pprf"), 132);
}

void SavePaintPrefs() {
    (void)SavePref(gAngle, FourCC("pprf"), 128, "rotate prefs");
    (void)SavePref(gDotPicturePrefs, FourCC("pprf"), 129, "dot picture prefs");
    (void)SavePref(gWindPrefs, FourCC("pprf"), 130, "wind prefs");
    (void)SavePref(gTypeStringPrefs, FourCC("pprf"), 131, "type string prefs");
    (void)SavePref(gEdgePrefs, FourCC("pprf"), 132, "edge prefs");
}

void SaveWindowPos() {
    struct Entry {
        ResID id;
        WindowRef* window;
        const char* posName;
        const char* visName;  // null: visibility follows the front window
    };
    static const Entry kEntries[] = {
        {129, &ColorPalette1, "ColorPalette1 pos", "ColorPalette1 vis"},
        {130, &ColorPalette2, "ColorPalette2 pos", "ColorPalette2 vis"},
        {131, &gPreviewWindow, "PreviewWin pos", nullptr},
        {132, &gToolPalette, "ToolPalette pos", "ToolPalette vis"},
        {133, &gBlendPalette, "BlendPalette pos", "BlendPalette vis"},
        {134, &TitleWindow, "TitleWin pos", "TitleWin vis"},
        {135, &InfoWindow, "InfoWin pos", "InfoWin vis"},
        {138, &PatternPalette, "Pattern pos", "PatternPalette vis"},
        {139, &DotModePalette, "DotModePalette pos", nullptr},
        {140, &FavoritePalette, "FavoritePalette pos", "FavoritePalette vis"},
    };
    for (const Entry& e : kEntries) {
        WindowRef w = *e.window;
        if (!w) continue;
        Rect content;
        if (GetWindowBounds(w, kWindowContentRgn, &content) != noErr) continue;
        (void)SavePref(Point{content.top, content.left}, FourCC("WPOS"), e.id, e.posName);
        if (e.visName) (void)SavePref(UInt8(IsWindowVisible(w) ? 1 : 0), FourCC("WVis"), e.id, e.visName);
    }
}

void CountUse(int index) {
    if (index >= 0 && index < int(gUsedCount.size())) ++gUsedCount[size_t(index)];
}

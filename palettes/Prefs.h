// The preferences store: one resource file in $XDG_CONFIG_HOME/Korvel, one
// resource per setting holding its bytes big-endian. Loaded once at start-up
// after the defaults are set, written once at shut-down.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/raster/QDTypes.h"

#include <array>

struct ToolPrefs {                    // 'pPrf' 128, 28 bytes
    UInt8 pencilToggle = 1;           // 0
    UInt8 toggleOnlyWithSmallPen = 1; // 1
    UInt8 keepFloatingSelection = 1;  // 2
    UInt8 pad0 = 0;                   // 3
    SInt16 keyRepeatDelay = 0;        // 4, ticks
    SInt16 keyRepeatInterval = 0;     // 6, ticks
    UInt8 eyedropperCursor = 0;       // 8
    UInt8 footprintCursor = 0;        // 9
    UInt8 colorFootprintCursor = 0;   // 10
    UInt8 commandClickErases = 0;     // 11
    UInt16 gridSetting = 0x21;        // 12: bits 0-3 pixel-grid style, 4-7 block-grid code
    UInt8 showRuler = 0;              // 14
    UInt8 pad1 = 0;                   // 15
    RGBColor pixelGridColor{0, 0, 0}; // 16
    RGBColor blockGridColor{0, 0, 0}; // 22
};

struct PaintWinPrefs {                // 'PWpf' 128, 16 bytes: the defaults of a new picture
    Rect pictRect{0, 0, 64, 96};      // top, left, bottom, right
    SInt16 ratio = 2;
    UInt8 showSizeDialog = 0;
    UInt8 sizeFromClipboard = 0;
    SInt16 backgroundKind = 0;        // 0 white, 1 transparent, 2 background colour
    SInt16 colorMode = 8;             // 8 or 24
};

// Bytes of gOtherPrefs.
enum : int {
    kOtherPaletteCheckFollowsMode = 0,
    kOtherFrontOnDrop = 1,
    kOtherMaskByShape = 2,
    kOtherConsecutiveIDs = 3,
    kOtherStartInBackMode = 4,
    kOtherIconFlavoursOnCopy = 5,
    kOtherLargePatterns = 6,
    kOtherStoreAsIcns = 7,
};

// Indexes of gUsedCount.
enum : int {
    kUsedStarts = 0, kUsedNewPicture = 2, kUsedOpened = 3, kUsedSaves = 4, kUsedFill = 5,
    kUsedLighten = 6, kUsedDarken = 7, kUsedAntialias = 8, kUsedDotPicture = 9, kUsedWind = 10,
    kUsedEdging = 11, kUsedColorMode = 12, kUsedRotate = 13, kUsedFlip = 14, kUsedReplaceColor = 15,
    kUsedIconUndo = 16, kUsedFolderIcon = 18,
};

struct PNGFilePrefs {                 // 'gSet' 128, 10 bytes
    SInt16 transColorKind = 0;        // 0 none, 1 white, 2 bottom-right pixel, 3 current colour,
                                      // 4 black, 5 background colour, 6 an entry of its own
    UInt8 interlaced = 1;
    UInt8 reserved = 0;               // cleared after loading
    SInt16 compressLevel = 6;         // zlib level 0..9
    UInt8 reduceColors = 1;           // 8-bit documents: only the colours used, at the depth they need
    UInt8 pad = 0;
    UInt8 fillTransparent = 0;        // transparent pixels painted with the transparent colour
    UInt8 readTransMask = 0;          // transparent palette entries become the mask on opening
};

extern SInt16 gPrefFileRefNum;        // −1 when there is no file this run
extern SInt16 gListBackground;
extern SInt16 gPaletteCheck;
extern PNGFilePrefs gPNGFilePrefs;
extern ToolPrefs gToolPrefs;
extern OSType gPICTCreator, gGIFCreator, gIconCreator, gPNGCreator;
extern SInt16 gStartup;
extern SInt16 gPreviewIconFlag;
extern std::array<UInt8, 4> gTabletPrefs;
extern PaintWinPrefs gPaintWinPrefs;
extern std::array<UInt8, 8> gOtherPrefs;
extern std::array<UInt32, 20> gUsedCount;
extern SInt16 gAngle;                 // 'pprf' 128
extern std::array<UInt8, 6> gDotPicturePrefs;   // 'pprf' 129, laid out by the dot picture effect
extern std::array<UInt8, 4> gWindPrefs;         // 'pprf' 130
extern std::array<UInt8, 266> gTypeStringPrefs; // 'pprf' 131
extern std::array<UInt8, 6> gEdgePrefs;         // 'pprf' 132
extern Str255 gDotCommand;
extern Str255 gDotLibName;
extern FSSpec gExternalEditor;
extern Boolean isExternalEditorAvailable;
extern UInt8 gUseExternalEditor;
// The application icon files are handed to (Icon menu, Open with Resource
// Editor); the item is disabled while none is chosen.
extern FSSpec gResEditor;
extern Boolean isResEditAvailable;
extern CTabHandle gFavoriteColors;
extern Boolean useNavigationServices;
extern SInt16 gPatternNo;
extern SInt16 gKeyThreshStore[2];     // the key repeat found at start-up: delay, interval

// The folder and file of the preferences; tests point them elsewhere through
// XDG_CONFIG_HOME.
void LoadPrefFile();
[[nodiscard]] OSErr SavePrefFile();
[[nodiscard]] OSErr SavePrefFileMain();
void ClosePrefFile();
[[nodiscard]] OSErr AddDataToPrefs(const void* data, Size size, ResType type, ResID id, ConstStr255Param name);
[[nodiscard]] OSErr LoadDataFromPrefs(void* data, Size size, ResType type, ResID id);
[[nodiscard]] OSErr RemoveDataFromPrefs(ResType type, ResID id);
void LoadPaintPrefs();
void SavePaintPrefs();
void SaveWindowPos();
void CountUse(int index);  // adds one to gUsedCount[index]

// The pieces of LoadPrefFile: every default, then every key from the
// current resource file (with the checks and migrations applied).
void SetPrefDefaults();
void LoadPrefRecords();
// The preferences file: named by item 1 of string list 134 in the
// preferences folder, which is made when missing.
inline constexpr SInt16 kPrefFileNameStrList = 134;
[[nodiscard]] OSErr GetPrefFileSpec(FSSpec* fileSpec);

void OpenPrefsDialog();
void ConfigureGrid();
void UpdateBGSetting();
[[nodiscard]] OSErr SetExternalApplication(FSSpec* fileSpec);
[[nodiscard]] OSErr GetCreatorFromFile(OSType* creator);

// A damaged preferences file: whatever the bytes, loading gives sound
// settings (the defaults when the file does not open), and what is then
// written loads back to the same settings.
#include "palettes/Prefs.h"
#include "palettes/ColorPalettes.h"
#include "palettes/PrefsCodec.h"
#include "platform/raster/ColorTables.h"
#include "platform/resources/Resources.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::vector<UInt8> Snapshot() {
    std::vector<UInt8> s;
    for (const auto& part : {EncodePref(gListBackground), EncodePref(gPaletteCheck), EncodePref(gPNGFilePrefs),
                             EncodePref(gToolPrefs), EncodePref(gPICTCreator), EncodePref(gIconCreator),
                             EncodePref(gPaintWinPrefs), EncodePref(gOtherPrefs), EncodePref(gTypeStringPrefs),
                             EncodePref(gEdgePrefs), EncodeColorTable(gFavoriteColors)})
        s.insert(s.end(), part.begin(), part.end());
    s.insert(s.end(), gDotCommand, gDotCommand + 33);
    return s;
}

void CheckSound() {
    const int favorites = CTabCount(gFavoriteColors);
    if (favorites < 0 || favorites > kMaxFavoriteColors || favorites > CTabReadableCount(gFavoriteColors)) std::abort();
    if (gPaintWinPrefs.colorMode != 8 && gPaintWinPrefs.colorMode != 24) std::abort();
    const UInt16 grid = gToolPrefs.gridSetting;
    if ((grid & ~0x37) || (grid & 0x0F) > 4 || (grid & 0x30) == 0x30) std::abort();
    if (gDotCommand[0] > 31 || gDotLibName[0] > 31) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InitResources();
    SetPrefDefaults();
    const std::vector<UInt8> defaults = Snapshot();
    const SInt16 ref = OpenResFileFromBytes(std::span<const UInt8>(data, size), fsRdWrPerm);
    if (ref == kResFileNotOpen) {
        if (Snapshot() != defaults) std::abort();
        return 0;
    }
    UseResFile(ref);
    LoadPrefRecords();
    CheckSound();
    const std::vector<UInt8> loaded = Snapshot();

    // A map marked read-only keeps its settings; writing them may only fail.
    const bool readOnly = (GetResFileAttrs(ref) & mapReadOnly) != 0;
    gPrefFileRefNum = ref;
    const OSErr saved = SavePrefFileMain();
    if (readOnly) {
        CloseResFile(ref);
        gPrefFileRefNum = -1;
        return 0;
    }
    if (saved != noErr) std::abort();
    std::vector<UInt8> written;
    if (GetResFileBytes(ref, &written) != noErr) std::abort();
    CloseResFile(ref);
    gPrefFileRefNum = -1;

    SetPrefDefaults();
    const SInt16 again = OpenResFileFromBytes(written, fsRdWrPerm);
    if (again == kResFileNotOpen) std::abort();
    UseResFile(again);
    LoadPrefRecords();
    if (Snapshot() != loaded) std::abort();
    CloseResFile(again);
    return 0;
}

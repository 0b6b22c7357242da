// A hostile update catalogue: whatever the bytes, reading it either refuses
// or gives lines within their lengths and a version number, and its notes
// wrap into lines that lie within the text, in order, never a crash or hang.
#include "update/UpdateCheck.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/Text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KorvelCatalog record;
    if (!KorvelGetCatalogInfo({data, size}, &record)) return 0;
    if (record.version[0] > 31 || record.info[0] > 31 || record.notes.size() > size) std::abort();
    (void)KorvelVersionStrToNum(record.version);

    static GWorldPtr port = [] {
        const Rect bounds{0, 0, 8, 8};
        GWorldPtr world = nullptr;
        if (NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0) != noErr) std::abort();
        return world;
    }();
    SetGWorld(port, nullptr);
    TextFont(applFont);
    TextSize(10);
    const SInt16 width = SInt16(size > 0 ? data[0] : 0);  // any box, down to none at all
    size_t end = 0;
    for (const NoteLine& line : WrapNotes(record.notes, width)) {
        if (line.start < end || line.start + line.length > record.notes.size()) std::abort();
        end = line.start + line.length;
    }
    return 0;
}

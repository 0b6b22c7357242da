// Opens arbitrary bytes as a PICT document's picture: the document's size,
// the layer count (comments and statistics) and the loading of plain and
// layered pictures into a document's buffers. None may crash, hang or
// allocate what the picture's bytes do not justify.
#include "io/PictFile.h"
#include "paint/PaintWindow.h"
#include "platform/core/Memory.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    UniqueHandle pic(NewHandleFromBytes(std::span(data, size)));
    if (!pic) return 0;
    Rect picRect;
    if (PictDocumentRect(pic.get(), &picRect) != noErr) return 0;
    // Large documents are legitimate but only slow the search down.
    if (SInt64(picRect.right) * picRect.bottom > 256 * 256) return 0;
    PaintWinRec rec;
    rec.picRect = picRect;
    rec.depth = rec.colorMode = (data[0] & 1) ? 24 : 8;
    if (MakePaintBuffers(&rec) != noErr) return 0;
    rec.hasTransparency = (data[0] & 2) != 0;
    (void)LoadPictIntoDocument(pic.get(), &rec);
    return 0;
}

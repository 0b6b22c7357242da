// Arbitrary bytes through the platform's graphics importers, as a picture of
// another format is opened: find an importer, read the bounds, draw into a
// buffer with the transparency mask. No reader may crash, hang or allocate
// past the caps; a drawn image fills exactly its bounds. The first byte
// picks the name hint (the suffix the content is tried as when it does not
// tell). Seeds: small pictures of each format.
#include "platform/picture/GraphicsImport.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/Application.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr const char* kHints[] = {"", "x.jpg", "x.gif", "x.bmp", "x.svg", "x.tga", "x.webp", "x.tif"};
// Only small images are drawn, so that each run stays quick.
constexpr int kMaxFuzzEdge = 512;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_LOGGING_RULES", "*=false", 1);
    InitToolbox(*argc, *argv);
    // The application object is not torn down at exit: by then the statics
    // it needs may be gone.
    std::atexit([] { std::_Exit(0); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    GraphicsImportComponent raw = nullptr;
    if (GetGraphicsImporterForData(std::span(data + 1, size - 1), kHints[data[0] % std::size(kHints)], &raw) != noErr)
        return 0;
    UniqueGraphicsImporter importer(raw);
    Rect bounds{};
    if (GraphicsImportGetNaturalBounds(importer.get(), &bounds) != noErr) return 0;
    if (bounds.right > kMaxFuzzEdge || bounds.bottom > kMaxFuzzEdge) return 0;
    UniqueGWorld image, mask;
    if (NewGWorld(image.out(), 32, &bounds, nullptr, nullptr, 0) != noErr ||
        NewGWorld(mask.out(), 1, &bounds, nullptr, nullptr, 0) != noErr)
        return 0;
    (void)GraphicsImportSetGWorld(importer.get(), image.get());
    (void)GraphicsImportSetMaskGWorld(importer.get(), mask.get());
    (void)GraphicsImportDraw(importer.get());
    return 0;
}

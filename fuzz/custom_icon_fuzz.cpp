// What a custom icon reads from outside: a family from a resource fork drawn
// as the published picture, and a folder's ".directory" entry rewritten
// with and without the icon line.
#include "image/CustomIcons.h"
#include "platform/core/Memory.h"
#include "platform/icons/DesktopIcons.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UniqueHandle family(NewHandleFromBytes(std::span<const UInt8>(data, size)));
    if (!family) return 0;
    RgbaImage image;
    if (IconFamilyToRgbaImage(family.get(), &image) == noErr) {
        const bool known = image.width == 16 || image.width == 32 || image.width == 128;
        if (!known || image.height != image.width || image.pixels.size() != size_t(image.width) * image.width * 4)
            std::abort();
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kIcon = "./.icon.png";
    const std::string with = DirectoryEntryWithIcon(text, kIcon);
    if (with.find("\nIcon=./.icon.png\n") == std::string::npos) std::abort();
    // Adding twice changes nothing more; taking it away leaves no line of ours.
    if (DirectoryEntryWithIcon(with, kIcon) != with) std::abort();
    const std::string without = DirectoryEntryWithoutIcon(with, kIcon);
    if (DirectoryEntryWithoutIcon(without, kIcon) != without) std::abort();
    (void)IsEmptyDirectoryEntry(without);
    return 0;
}

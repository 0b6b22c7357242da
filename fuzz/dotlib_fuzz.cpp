// A damaged dot library: whatever the bytes, reading it either refuses it or
// gives commands of the dot alphabet, which write and read back the same.
#include "palettes/DotLibrary.h"
#include "palettes/DotMode.h"
#include "platform/core/PString.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InitResources();
    std::vector<std::string> commands;
    // The bytes as the list alone, then as a whole library file.
    if (ParseDotLibCommands(std::span<const UInt8>(data, size), &commands) == noErr) {
        const std::vector<UInt8> encoded = EncodeDotLibCommands(commands);
        if (encoded.size() > size || !std::equal(encoded.begin(), encoded.end(), data)) std::abort();
    }
    const SInt16 ref = OpenResFileFromBytes(std::span<const UInt8>(data, size), fsRdWrPerm);
    if (ref == kResFileNotOpen) return 0;
    gDotLibRefNum = ref;
    const SInt16 count = CountCmdNum();
    if (GetDotLibCommands(&commands) == noErr) {
        if (count != SInt16(commands.size())) std::abort();
        for (const std::string& c : commands) {
            Str255 s;
            CopyCStringToPascal(c, s);
            if (c.size() > 31 || CheckCommandStr(s) != noErr) std::abort();
        }
        commands.push_back("5d");
        if (SetDotLibCommands(commands) == noErr) {
            std::vector<std::string> back;
            if (GetDotLibCommands(&back) != noErr || back != commands) std::abort();
        }
    } else if (count != -1) {
        std::abort();
    }
    CloseResFile(ref);
    gDotLibRefNum = -1;
    return 0;
}

// The resource fork parser: whatever parses must write, parse back to the
// same resources, and write again to the same bytes; and the Resource
// Manager must open it and hand out every resource.
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    ResourceForkImage image;
    if (ParseResourceFork(bytes, &image) != noErr) return 0;
    std::vector<UInt8> written;
    // Names shared by several references are written once each, which can
    // outgrow the name offsets: the only refusal allowed.
    if (OSErr err = SerializeResourceFork(image, &written)) {
        if (err != addResFailed) std::abort();
        return 0;
    }
    ResourceForkImage back;
    if (ParseResourceFork(written, &back) != noErr) std::abort();
    image.fileAttributes &= UInt16(~mapChanged);
    for (ForkResource& r : image.resources) r.attributes &= UInt8(~resChanged);
    if (!(back == image)) std::abort();
    std::vector<UInt8> again;
    if (SerializeResourceFork(back, &again) != noErr || again != written) std::abort();

    const SInt16 ref = OpenResFileFromBytes(bytes, fsRdPerm);
    if (ref == kResFileNotOpen) std::abort();
    for (const ForkResource& r : image.resources) {
        Handle h = Get1Resource(r.type, r.id);
        if (!h || GetHandleSize(h) != Size(r.data.size())) std::abort();
    }
    CloseResFile(ref);
    return 0;
}

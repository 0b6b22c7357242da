// Window templates from damaged resources: parsing never reads past the
// bytes, and what it accepts has a title that fits the bytes it came from.
#include "platform/ui/Windows.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WindowTemplate t;
    if (ParseWindowTemplate(data, Size(size), &t) == noErr) {
        // Fixed fields are 18 bytes, then the length byte and the title.
        if (size < 19 || size_t(19) + t.title[0] > size) std::abort();
    }
    return 0;
}

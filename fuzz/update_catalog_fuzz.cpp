// A hostile update catalogue: whatever the bytes, reading it either refuses
// or gives lines within their lengths and a version number, never a crash.
#include "update/UpdateCheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KorvelCatalog record;
    if (KorvelGetCatalogInfo({data, size}, &record)) {
        if (record.version[0] > 31 || record.info[0] > 31 || record.notes.size() > size) std::abort();
        (void)KorvelVersionStrToNum(record.version);
    }
    return 0;
}

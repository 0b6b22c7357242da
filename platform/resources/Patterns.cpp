#include "platform/resources/Patterns.h"

#include "platform/core/ByteIO.h"
#include "platform/resources/Resources.h"

#include <algorithm>

Boolean GetIndPattern(Pattern* pat, SInt16 patternListID, SInt16 index) {
    Handle h = GetResource(FourCC("PAT#"), patternListID);
    if (!h || index < 1) return false;
    const std::span<const UInt8> bytes = HandleBytes(h);
    ByteReader reader(bytes);
    const UInt16 count = reader.u16be();
    if (!reader.ok() || index > count) return false;
    reader.skip(size_t(index - 1) * 8);
    UInt8 row[8];
    for (UInt8& b : row) b = reader.u8();
    if (!reader.ok()) return false;
    std::copy_n(row, 8, pat->pat);
    return true;
}

Boolean GetPattern(Pattern* pat, SInt16 patternID) {
    Handle h = GetResource(FourCC("PAT "), patternID);
    const std::span<const UInt8> bytes = HandleBytes(h);
    if (!h || bytes.size() < 8) return false;
    std::copy_n(bytes.begin(), 8, pat->pat);
    return true;
}

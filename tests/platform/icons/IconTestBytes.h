// Byte helpers shared by the icon tests: literal byte strings, handles as
// bytes, and icon families built element by element.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/core/Memory.h"
#include "tests/platform/files/TempFolder.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace icontest {

using Bytes = std::vector<UInt8>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes Be32(UInt32 v) { return {UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)}; }
inline Bytes Type(const char* t) { return {UInt8(t[0]), UInt8(t[1]), UInt8(t[2]), UInt8(t[3])}; }
inline OSType TypeCode(const char* t) { return OSType(UInt8(t[0])) << 24 | UInt8(t[1]) << 16 | UInt8(t[2]) << 8 | UInt8(t[3]); }
inline Bytes BytesOf(Handle h) {
    auto s = HandleBytes(h);
    return Bytes(s.begin(), s.end());
}

// 'icns', the length (the true one plus `lengthAdjust`), then the elements.
inline Bytes MakeFamily(std::initializer_list<std::pair<const char*, Bytes>> elements, long lengthAdjust = 0) {
    Bytes body;
    for (const auto& [type, data] : elements) body = Cat({body, Type(type), Be32(UInt32(data.size() + 8)), data});
    return Cat({Type("icns"), Be32(UInt32(long(body.size() + 8) + lengthAdjust)), body});
}

}  // namespace icontest

#include "platform/core/PString.h"

#include <algorithm>
#include <cstring>

std::string_view TruncateUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t n = maxBytes;
    // Step back over continuation bytes (10xxxxxx) so the cut falls before a
    // lead byte.
    while (n > 0 && (UInt8(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

void CopyCStringToPascal(std::string_view text, StringPtr dst, size_t capacity) {
    std::string_view cut = TruncateUtf8(text, std::min<size_t>(capacity, 255));
    dst[0] = UInt8(cut.size());
    if (!cut.empty()) std::memcpy(dst + 1, cut.data(), cut.size());
}

std::string PStringToStd(ConstStringPtr s) {
    if (!s) return {};
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

void PStrCopy(ConstStringPtr src, StringPtr dst) { std::memmove(dst, src, size_t(src[0]) + 1); }

void PStrCat(StringPtr dst, ConstStringPtr add) {
    size_t n = std::min<size_t>(add[0], 255 - dst[0]);
    std::memmove(dst + 1 + dst[0], add + 1, n);
    dst[0] = UInt8(dst[0] + n);
}

bool EqualPString(ConstStringPtr a, ConstStringPtr b) {
    return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

#include "platform/files/FileTypes.h"

#include "platform/core/PString.h"
#include "platform/files/Files.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr SuffixType kSuffixTable[] = {
    {".pict", FourCC("PICT")}, {".pct", FourCC("PICT")},  {".png", FourCC("PNGf")}, {".icns", FourCC("icns")},
    {".jpeg", FourCC("JPEG")}, {".jpg", FourCC("JPEG")},  {".gif", FourCC("GIFf")}, {".psd", FourCC("8BPS")},
    {".bmp", FourCC("BMPf")},  {".rsrc", FourCC("rsrc")}, {".ico", FourCC("ICO ")},
};
static_assert(std::size(kSuffixTable) == 11);

constexpr SuffixType kOwnSuffixTable[] = {
    {".kprefs", FourCC("pref")},
    {".kblend", FourCC("iBld")},
    {".kdots", FourCC("iPat")},
};

bool IsDigit(UInt8 c) { return c >= '0' && c <= '9'; }

std::string_view View(ConstStr255Param s) { return {reinterpret_cast<const char*>(s + 1), s[0]}; }

// Offset of the suffix's dot in the name's bytes, or the name's length when
// it has no suffix.
size_t SuffixStart(std::string_view name) {
    bool nonDigitAfter = false;
    for (size_t i = name.size(); i-- > 0;) {
        UInt8 c = UInt8(name[i]);
        if (c == '.' && nonDigitAfter) return i;
        if (!IsDigit(c)) nonDigitAfter = true;
    }
    return name.size();
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

bool Lookup(std::span<const SuffixType> table, std::string_view suffix, OSType* type) {
    if (suffix.empty()) return false;
    for (const SuffixType& row : table)
        if (EqualIgnoringCase(suffix, row.suffix)) {
            *type = row.type;
            return true;
        }
    return false;
}

}  // namespace

std::span<const SuffixType> SuffixTable() { return kSuffixTable; }
std::span<const SuffixType> OwnSuffixTable() { return kOwnSuffixTable; }

void GetSuffix(ConstStr255Param name, StringPtr suffix) {
    std::string_view n = View(name);
    std::string_view s = n.substr(SuffixStart(n));
    suffix[0] = UInt8(s.size());
    std::memcpy(suffix + 1, s.data(), s.size());
}

OSErr GetFileTypeFromSuffix(ConstStr255Param name, OSType* type) {
    std::string_view n = View(name);
    Lookup(kSuffixTable, n.substr(SuffixStart(n)), type);
    return noErr;
}

OSErr GetFileTypeFromAnySuffix(ConstStr255Param name, OSType* type) {
    std::string_view n = View(name);
    std::string_view s = n.substr(SuffixStart(n));
    if (!Lookup(kSuffixTable, s, type)) Lookup(kOwnSuffixTable, s, type);
    return noErr;
}

void TruncPString(StringPtr dst, ConstStr255Param src, SInt16 maxLength) {
    std::string_view cut = TruncateUtf8(View(src), size_t(std::max<SInt16>(maxLength, 0)));
    std::memmove(dst + 1, cut.data(), cut.size());
    dst[0] = UInt8(cut.size());
}

SInt16 ChangeSuffix(StringPtr name, ConstStr255Param suffix) {
    std::string_view n = View(name);
    std::string_view base = n.substr(0, SuffixStart(n));
    size_t i = base.size();
    while (i > 0 && IsDigit(UInt8(base[i - 1]))) --i;
    if (i > 0) base = base.substr(0, base[i - 1] == '.' ? i - 1 : i);

    // The base as a length-prefixed string, cut to leave room for the suffix.
    Str255 kept;
    kept[0] = UInt8(base.size());
    std::memcpy(kept + 1, base.data(), base.size());
    int room = std::max(0, kMaxSuffixedNameLength - int(suffix[0]));
    TruncPString(kept, kept, SInt16(room));
    SInt16 baseLength = kept[0];
    PStrCat(kept, suffix);
    PStrCopy(kept, name);
    return baseLength;
}

OSErr FSpGetFileType(const FSSpec* fileSpec, OSType* type) {
    if (!fileSpec || !type) return paramErr;
    *type = 0;
    if (FSpIsFolder(fileSpec)) {
        *type = FourCC("fold");
        return noErr;
    }
    FInfo info;
    if (OSErr err = FSpGetFInfo(fileSpec, &info); err != noErr) return err;
    if (info.fdType != 0) {
        *type = info.fdType;
        return noErr;
    }
    return GetFileTypeFromAnySuffix(fileSpec->name, type);
}

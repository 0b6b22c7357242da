#include "update/UpdateCheck.h"

#include "app/Alerts.h"
#include "app/AppResources.h"
#include "app/MenuBar.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/net/Download.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Internet.h"
#include "platform/ui/Menus.h"

#include <algorithm>
#include <cstring>

#ifndef KORVEL_UPDATE_URL
#define KORVEL_UPDATE_URL ""
#endif

namespace {

constexpr SInt16 kUpdateItemStrings = 5001;
constexpr ResID kUpdateAddressPref = 5001;
enum : SInt16 { kUpToDateItem = 1, kUnreadableItem = 2, kUnreachableItem = 3, kCannotLaunchItem = 4 };
constexpr DownloadLimits kCatalogLimits{64 * 1024, 15};

MenuItemIndex gUpdateItem = 0;

bool IsDigit(UInt8 c) { return c >= '0' && c <= '9'; }

// One line into a length-prefixed string of at most `capacity` characters
// (the rest of a longer line is dropped); moves past its end of line.
void KorvelGet1Line(std::span<const UInt8> text, size_t* pos, StringPtr out, size_t capacity) {
    size_t end = *pos;
    while (end < text.size() && text[end] != 13 && text[end] != 10) ++end;
    const size_t length = std::min(end - *pos, capacity);
    out[0] = UInt8(length);
    std::copy_n(text.data() + *pos, length, out + 1);
    if (end < text.size() && text[end] == 13) ++end;
    if (end < text.size() && text[end] == 10) ++end;
    *pos = end;
}

}  // namespace

std::string UpdateCatalogAddress() {
    if (gPrefFileRefNum != -1) {
        const SInt16 saved = CurResFile();
        UseResFile(gPrefFileRefNum);
        Handle h = Get1Resource(FourCC("STR "), kUpdateAddressPref);
        std::string address;
        if (h && GetHandleSize(h) > 0) {
            const auto* bytes = reinterpret_cast<const UInt8*>(*h);
            const size_t length = std::min<size_t>(bytes[0], size_t(GetHandleSize(h)) - 1);
            address.assign(reinterpret_cast<const char*>(bytes + 1), length);
        }
        UseResFile(saved);
        if (!address.empty()) return address;
    }
    return KORVEL_UPDATE_URL;
}

Boolean HasUpdateCheck() { return !UpdateCatalogAddress().empty(); }

MenuItemIndex InstallUpdateCheckItem() {
    gUpdateItem = 0;
    MenuRef menu = GetMenuHandle(kAppleMenuID);
    if (!menu || !HasUpdateCheck()) return 0;
    Str255 text;
    GetIndString(text, kUpdateItemStrings, 1);
    if (text[0] == 0) return 0;
    AppendMenuItemText(menu, text);
    gUpdateItem = CountMenuItems(menu);
    return gUpdateItem;
}

MenuItemIndex UpdateCheckItem() { return gUpdateItem; }

UInt32 KorvelVersionStrToNum(ConstStr255Param version) {
    const UInt8* s = version + 1;
    const size_t n = version[0];
    size_t i = 0;
    UInt32 major = 0;
    for (int digits = 0; i < n && IsDigit(s[i]); ++i, ++digits)
        if (digits < 4) major = (major << 4) | UInt32(s[i] - '0');  // a fifth digit has no room
    UInt32 result = major << 16;
    int shift = 12;
    for (int part = 0; part < 2 && i < n && s[i] == '.'; ++part) {
        ++i;
        for (; i < n && IsDigit(s[i]) && shift >= 0; ++i, shift -= 4) result += UInt32(s[i] - '0') << shift;
        while (i < n && IsDigit(s[i])) ++i;  // digits past the last place are dropped
    }
    if (i < n && (s[i] == 'a' || s[i] == 'b')) {
        const int letter = s[i++];
        UInt32 number = 0;
        for (int digits = 0; i < n && IsDigit(s[i]) && digits < 2; ++i, ++digits) number = (number << 4) | UInt32(s[i] - '0');
        result = UInt32(SInt64(result) + (letter - 'c') * 0x100 + SInt64(number));
    }
    return result;
}

UInt32 KorvelOwnVersion() {
    Str255 version;
    CopyCStringToPascal(ApplicationVersionString(), version);
    return KorvelVersionStrToNum(version);
}

bool KorvelGetCatalogInfo(std::span<const UInt8> text, KorvelCatalog* record) {
    *record = KorvelCatalog{};
    if (std::find(text.begin(), text.end(), UInt8(0)) != text.end()) return false;
    size_t pos = 0;
    KorvelGet1Line(text, &pos, record->version, 31);
    KorvelGet1Line(text, &pos, record->info, 31);
    KorvelGet1Line(text, &pos, record->url, 255);
    record->notes.assign(text.begin() + std::ptrdiff_t(pos), text.end());
    if (record->version[0] == 0 || !IsDigit(record->version[1])) return false;
    const std::string url = PStringToStd(record->url);
    return url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0;
}

OSErr KorvelDownloadCatalog(const std::string& address, std::vector<UInt8>* text) {
    return DownloadURL(address, kCatalogLimits, text);
}

void KorvelUpdateCheck() {
    std::vector<UInt8> text;
    const OSErr err = KorvelDownloadCatalog(UpdateCatalogAddress(), &text);
    if (err != noErr) {
        ErrorAlertFromResource(kUpdateErrStrings, err == kDownloadTooLargeErr ? kUnreadableItem : kUnreachableItem);
        return;
    }
    KorvelCatalog record;
    if (!KorvelGetCatalogInfo(text, &record)) {
        ErrorAlertFromResource(kUpdateErrStrings, kUnreadableItem);
        return;
    }
    if (KorvelVersionStrToNum(record.version) <= KorvelOwnVersion()) {
        ErrorAlertFromResource(kUpdateErrStrings, kUpToDateItem);
        return;
    }
    if (KorvelDisplayInfo(record) != noErr) return;
    if (LaunchURL(PStringToStd(record.url)) != noErr) ErrorAlertFromResource(kUpdateErrStrings, kCannotLaunchItem);
}

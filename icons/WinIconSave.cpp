// Saving a paint document as one Windows icon (its selection, or whole
// image, as a 32 × 32 8-bit image with its mask), or as one icon per
// 32 × 32 tile of it.
#include "icons/WinIcon.h"

#include "app/Alerts.h"
#include "paint/PaintWindow.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/resources/Resources.h"
#include "tools/Selection.h"

#include <string>
#include <utility>

namespace {

constexpr SInt16 kSaveSuffixStrings = 131;
constexpr SInt16 kWinIconSuffixItem = 4;
// Messages of the paint-file list.
enum : SInt16 {
    kIconFileNotWrittenMessage = 3,
    kMemberNotAddedMessage = 4,
    kNoSuiteMessage = 5,
    kNoSelectionIconMessage = 6,
};
constexpr SInt16 kIconSide = 32;
// Tile names keep within the 31 bytes of a classic file name.
constexpr int kTileNameRoom = 26;

int DecimalDigits(int n) {
    int digits = 1;
    while (n >= 10) n /= 10, ++digits;
    return digits;
}

}  // namespace

OSErr SaveAsWinIcon(WindowRef paintWindow, const FSSpec& file) {
    if (!GetPaintWinRec(paintWindow)) return paramErr;
    UniqueIconSuite suite;
    if (const OSErr err = NewIconSuite(suite.out()); err != noErr) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoSuiteMessage);
        return err;
    }
    UniqueHandle eight(GetSelectionIconHandle(paintWindow, kIconSide, 8, false));
    UniqueHandle oneBit(eight ? GetSelectionIconHandle(paintWindow, kIconSide, 1, false) : nullptr);
    if (!eight || !oneBit) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoSelectionIconMessage);
        return memFullErr;
    }
    for (auto [type, data] : {std::pair{FourCC("icl8"), &eight}, std::pair{FourCC("ICN#"), &oneBit}}) {
        if (const OSErr err = AddIconToSuite(data->get(), suite.get(), type); err != noErr) {
            ErrorAlertFromResource(kPaintFileErrStrings, kMemberNotAddedMessage);
            return err;
        }
        data->release();
    }
    if (const OSErr err = MakeWinIconFromSuite(file, suite.get()); err != noErr) {
        ErrorAlertFromResource(kPaintFileErrStrings, kIconFileNotWrittenMessage);
        return err;
    }
    return noErr;
}

OSErr SaveAsSplitWinIcon(WindowRef paintWindow, FSSpec* file) {
    PaintWinRec* rec = GetPaintWinRec(paintWindow);
    if (!rec || !file) return paramErr;
    const Rect area = rec->isFloating ? rec->selRect : rec->picRect;
    const int rows = (area.bottom - area.top - 1) / kIconSide + 1;
    const int columns = (area.right - area.left - 1) / kIconSide + 1;
    if (rows <= 0 || columns <= 0) return paramErr;
    const int digits = DecimalDigits(rows * columns);

    Str255 suffixP;
    GetIndString(suffixP, kSaveSuffixStrings, kWinIconSuffixItem);
    const std::string suffix = PStringToStd(suffixP);
    std::string base = PStringToStd(file->name);
    if (!suffix.empty() && base.size() >= suffix.size() && base.ends_with(suffix))
        base.resize(base.size() - suffix.size());
    base = std::string(TruncateUtf8(base, size_t(kTileNameRoom - digits)));

    const Rect savedSelRect = rec->selRect;
    const Boolean savedFloating = rec->isFloating;
    OSErr err = noErr;
    for (int n = 0; err == noErr && n < rows * columns; ++n) {
        const int top = area.top + n / columns * kIconSide, left = area.left + n % columns * kIconSide;
        rec->selRect = MakeRect(top, left, top + kIconSide, left + kIconSide);
        rec->isFloating = false;
        std::string number = std::to_string(n + 1);
        number.insert(0, size_t(digits) - number.size(), '0');
        FSSpec tile = *file;
        CopyCStringToPascal(base + "." + number + suffix, tile.name);
        err = SaveAsWinIcon(paintWindow, tile);
    }
    rec->selRect = savedSelRect;
    rec->isFloating = savedFloating;
    CopyCStringToPascal(base + suffix, file->name);
    return err;
}

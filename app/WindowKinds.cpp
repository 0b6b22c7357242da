#include "app/WindowKinds.h"

#include "platform/resources/Resources.h"

namespace {
constexpr OSType kKindCreator = FourCC("Krvl");
constexpr OSType kKindTag = FourCC("kind");
}  // namespace

WindowRef gPreviewWindow = nullptr;
WindowRef gToolPalette = nullptr;
WindowRef ColorPalette1 = nullptr;
WindowRef ColorPalette2 = nullptr;
WindowRef gBlendPalette = nullptr;
WindowRef TitleWindow = nullptr;
WindowRef InfoWindow = nullptr;
WindowRef PatternPalette = nullptr;
WindowRef DotModePalette = nullptr;
WindowRef FavoritePalette = nullptr;

void SetExtWindowKind(WindowRef window, SInt16 kind) {
    const UInt8 bytes[2] = {UInt8(UInt16(kind) >> 8), UInt8(kind)};
    SetWindowProperty(window, kKindCreator, kKindTag, sizeof bytes, bytes);
}

SInt16 GetExtWindowKind(WindowRef window) {
    if (!window) return -1;
    UInt32 size = 0;
    if (GetWindowPropertySize(window, kKindCreator, kKindTag, &size) != noErr || size != 2) return -1;
    UInt8 bytes[2] = {0, 0};
    if (GetWindowProperty(window, kKindCreator, kKindTag, sizeof bytes, &size, bytes) != noErr) return -1;
    return SInt16(UInt16((bytes[0] << 8) | bytes[1]));
}

Boolean IsDocumentWindowKind(SInt16 kind) {
    return kind == kPaintWindowKind || kind == kIconListWindowKind || kind == kFamilyWindowKind;
}

WindowRef FrontDocumentWindow() {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (IsWindowVisible(w) && !IsFloatingWindow(w) && IsDocumentWindowKind(GetExtWindowKind(w))) return w;
    }
    return nullptr;
}

WindowRef GetNewFloatingWindow(SInt16 templateID, SInt16 kind, SRefCon refCon) {
    WindowRef window = GetNewCWindow(templateID, nullptr, kFirstWindowOfClass);
    if (!window) return nullptr;
    SetExtWindowKind(window, kind);
    SetWRefCon(window, refCon);
    return window;
}

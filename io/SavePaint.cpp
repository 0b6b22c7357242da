#include "io/SavePaint.h"

#include "app/Alerts.h"

namespace {
constexpr OSErr kUnimplementedErr = -4;  // the toolbox's unimpErr
constexpr SInt16 kCannotSaveItem = 13;
}  // namespace

// This version writes no pictures. It says so and returns an error, which
// keeps every caller's document open and unchanged: a close that asked to
// save stops instead of losing the picture.
OSErr SavePaintWindow(WindowRef, SInt16, SInt16) {
    ErrorAlertFromResource(kPaintFileErrStrings, kCannotSaveItem);
    return kUnimplementedErr;
}

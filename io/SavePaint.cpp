#include "io/SavePaint.h"

namespace {
constexpr OSErr kUnimplementedErr = -4;  // the toolbox's unimpErr
}  // namespace

// Writing document pictures is not there yet. Saying so with an error keeps
// every caller's document open and unchanged: a close that asked to save
// fails instead of losing the picture.
OSErr SavePaintWindow(WindowRef, SInt16, SInt16) { return kUnimplementedErr; }

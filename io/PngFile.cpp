#include "io/PngFile.h"

namespace {
constexpr OSErr kUnimplementedErr = -4;
}

OSErr SaveAsPNG(WindowRef, const FSSpec&) { return kUnimplementedErr; }
OSErr OpenPNGFile(const FSSpec&) { return kUnimplementedErr; }

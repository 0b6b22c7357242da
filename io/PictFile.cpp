#include "io/PictFile.h"

namespace {
constexpr OSErr kUnimplementedErr = -4;
}

OSErr OpenPictFile(const FSSpec&) { return kUnimplementedErr; }
PicHandle LoadFromPict(const FSSpec&) { return nullptr; }
OSErr SaveAsPictMain(PicHandle, const FSSpec&) { return kUnimplementedErr; }

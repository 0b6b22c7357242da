#include "app/AppResources.h"

#include "platform/core/ByteIO.h"
#include "platform/resources/Resources.h"

OSErr OpenApplicationResources() {
    const SInt16 refNum = OpenApplicationResFileFromBytes(ApplicationResourceBytes());
    const OSErr err = ResError();
    if (refNum == kResFileNotOpen && err == noErr) return OSErr(mapReadErr);
    return err;
}

std::string ApplicationVersionString() {
    // Two version bytes, stage, pre-release, region (16 bits), then the short version.
    ByteReader r(HandleBytes(GetResource(FourCC("vers"), 1)));
    r.skip(6);
    const UInt8 length = r.u8();
    std::string version;
    for (UInt8 i = 0; i < length && r.ok(); ++i) version += char(r.u8());
    return r.ok() ? version : std::string();
}

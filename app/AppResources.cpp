#include "app/AppResources.h"

#include "platform/resources/Resources.h"

OSErr OpenApplicationResources() {
    const SInt16 refNum = OpenApplicationResFileFromBytes(ApplicationResourceBytes());
    const OSErr err = ResError();
    if (refNum == kResFileNotOpen && err == noErr) return OSErr(mapReadErr);
    return err;
}

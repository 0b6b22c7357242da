// PICT files: writing the document picture (512 zero bytes, then the
// picture), the zoom resource beside it, and reading a file's picture back.
#include "io/PictFile.h"

#include "app/Alerts.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"

#include <vector>

namespace {

// Messages of the paint-file list.
enum : SInt16 {
    kPictNotOpenedMessage = 7,
    kPictLengthMessage = 8,
    kPictNotReadMessage = 9,
    kPictMemoryMessage = 10,
};

constexpr ResType kZoomResType = FourCC("Krvl");
constexpr ResID kZoomResID = 128;
constexpr size_t kPictHeaderBytes = 512;

// The current resource file, made current again on every path.
class SavedResFile {
public:
    SavedResFile() : saved_(CurResFile()) {}
    SavedResFile(const SavedResFile&) = delete;
    SavedResFile& operator=(const SavedResFile&) = delete;
    ~SavedResFile() { UseResFile(saved_); }

private:
    SInt16 saved_;
};

}  // namespace

OSErr SaveAsPictMain(PicHandle pic, const FSSpec& fileSpec) {
    if (!pic || GetHandleSize(pic) < 10) return paramErr;
    const bool existed = FSpExists(&fileSpec);
    const std::vector<UInt8> bytes = PictFileBytes(pic);
    if (bytes.size() != kPictHeaderBytes + size_t(GetHandleSize(pic))) return memFullErr;
    if (const OSErr err = WriteFileAtomically(FSSpecToPath(&fileSpec), bytes); err != noErr) return err;
    // A new file is a picture of the program's creator; a file saved over
    // keeps its creator and Finder flags but is a picture from now on.
    FInfo info;
    if (OSErr err = FSpGetFInfo(&fileSpec, &info); err != noErr) return err;
    if (!existed || info.fdType != FourCC("PICT") || info.fdCreator == 0) {
        if (!existed || info.fdCreator == 0) info.fdCreator = gPICTCreator;
        info.fdType = FourCC("PICT");
        return FSpSetFInfo(&fileSpec, &info);
    }
    return noErr;
}

OSErr SaveZoomResource(const FSSpec& fileSpec, SInt16 ratio) {
    SavedResFile savedResFile;
    SInt16 refNum = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    if (refNum == kResFileNotOpen) {
        FSpCreateResFile(&fileSpec, gPICTCreator, FourCC("PICT"), smSystemScript);
        if (const OSErr err = ResError(); err != noErr && err != dupFNErr) return err;
        refNum = FSpOpenResFile(&fileSpec, fsRdWrPerm);
        if (refNum == kResFileNotOpen) return ResError() != noErr ? ResError() : OSErr(resFNotFound);
    }
    UseResFile(refNum);
    const UInt8 stored[2] = {UInt8(UInt16(ratio) >> 8), UInt8(ratio)};
    static const UInt8 kName[] = {3, 'm', 'a', 'g'};
    OSErr err = AddDataToPrefs(stored, sizeof stored, kZoomResType, kZoomResID, kName);
    if (err == noErr) {
        UpdateResFile(refNum);
        err = ResError();
    }
    CloseResFile(refNum);
    return err;
}

SInt16 LoadZoomResource(const FSSpec& fileSpec, SInt16 ratio) {
    SavedResFile savedResFile;
    const SInt16 refNum = FSpOpenResFile(&fileSpec, fsRdPerm);
    if (refNum == kResFileNotOpen) return ratio;
    UseResFile(refNum);
    UInt8 stored[2];
    if (Handle h = Get1Resource(kZoomResType, kZoomResID); h && GetHandleSize(h) >= 2) {
        std::copy_n(reinterpret_cast<const UInt8*>(*h), 2, stored);
        const SInt16 value = SInt16(UInt16(stored[0] << 8 | stored[1]));
        if (value >= 0 && value <= kMaxZoomRatio) ratio = value;
    }
    CloseResFile(refNum);
    return ratio;
}

PicHandle LoadFromPict(const FSSpec& fileSpec) {
    SInt16 refNum = 0;
    if (FSpOpenDF(&fileSpec, fsRdPerm, &refNum) != noErr) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictNotOpenedMessage);
        return nullptr;
    }
    struct Closer {
        SInt16 refNum;
        ~Closer() { (void)FSClose(refNum); }
    } closer{refNum};
    SInt32 length = 0;
    if (GetEOF(refNum, &length) != noErr) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictLengthMessage);
        return nullptr;
    }
    // The picture's own bytes are checked when it is played; what is capped
    // here is how much memory the file may ask for.
    if (length < SInt32(kPictHeaderBytes) + 10 || size_t(length) > kMaxPictFileBytes) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictNotReadMessage);
        return nullptr;
    }
    UniqueHandle pic(NewHandle(length - SInt32(kPictHeaderBytes)));
    if (!pic) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictMemoryMessage);
        return nullptr;
    }
    SInt32 count = length - SInt32(kPictHeaderBytes);
    if (SetFPos(refNum, fsFromStart, SInt32(kPictHeaderBytes)) != noErr || FSRead(refNum, &count, *pic.get()) != noErr ||
        count != length - SInt32(kPictHeaderBytes)) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictNotReadMessage);
        return nullptr;
    }
    return pic.release();
}

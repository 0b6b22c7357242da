// Dot libraries: finding the library folder, opening, making and
// rewriting library files, with every file read as untrusted input.
#include "palettes/DotLibrary.h"

#include "app/Alerts.h"
#include "palettes/DotMode.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Events.h"

#include <algorithm>
#include <cstring>

SInt16 gDotLibRefNum = -1;
SInt16 gDotLibVRefNum = 0;
SInt32 gDotLibFolderID = 0;
Boolean isDotLibAvailable = false;

namespace {

constexpr ResType kStrListType = FourCC("STR#");
constexpr ResID kDotLibID = 128;
constexpr SInt16 kDotLibStrings = 150;
constexpr OSType kDotLibType = FourCC("iPat");
constexpr OSType kKorvelCreator = FourCC("Krvl");

// The library's 'STR#' 128 read from one file only.
Handle LibraryList(SInt16 refNum) {
    if (refNum == -1) return nullptr;
    const SInt16 saved = CurResFile();
    UseResFile(refNum);
    Handle h = Get1Resource(kStrListType, kDotLibID);
    UseResFile(saved);
    return h;
}

OSErr ReadCommands(SInt16 refNum, std::vector<std::string>* commands) {
    Handle h = LibraryList(refNum);
    if (!h) return resNotFound;
    const Size size = GetHandleSize(h);
    if (size > kMaxDotLibBytes) return paramErr;
    return ParseDotLibCommands(std::span<const UInt8>(reinterpret_cast<const UInt8*>(*h), size_t(size)), commands);
}

void ClearLibName() {
    GetIndString(gDotLibName, kDotLibStrings, 3);
    gDotLibRefNum = -1;
}

}  // namespace

OSErr ParseDotLibCommands(std::span<const UInt8> bytes, std::vector<std::string>* commands) {
    if (bytes.size() < 2 || bytes.size() > size_t(kMaxDotLibBytes)) return paramErr;
    const int count = (bytes[0] << 8) | bytes[1];
    if (count > kMaxDotLibCommands) return paramErr;
    std::vector<std::string> out;
    size_t at = 2;
    for (int i = 0; i < count; ++i) {
        if (at >= bytes.size()) return paramErr;
        const size_t length = bytes[at];
        if (length > size_t(kMaxDotCommand) || bytes.size() - at - 1 < length) return paramErr;
        if (CheckCommandStr(&bytes[at]) != noErr) return paramErr;
        out.emplace_back(reinterpret_cast<const char*>(&bytes[at + 1]), length);
        at += 1 + length;
    }
    *commands = std::move(out);
    return noErr;
}

std::vector<UInt8> EncodeDotLibCommands(const std::vector<std::string>& commands) {
    std::vector<UInt8> bytes{UInt8(commands.size() >> 8), UInt8(commands.size())};
    for (const std::string& c : commands) {
        bytes.push_back(UInt8(c.size()));
        bytes.insert(bytes.end(), c.begin(), c.end());
    }
    return bytes;
}

OSErr GetDotLibFolderSpec(ConstStr255Param name, FSSpec* fileSpec) {
    if (!isDotLibAvailable) return fnfErr;
    return FSMakeFSSpec(gDotLibVRefNum, gDotLibFolderID, name, fileSpec);
}

Boolean IsInDotLibFolder(const FSSpec& file) {
    return isDotLibAvailable && file.vRefNum == gDotLibVRefNum && file.parID == gDotLibFolderID;
}

void DotLibInit() {
    isDotLibAvailable = false;
    SInt16 vRefNum = 0;
    SInt32 dataID = 0;
    Str255 folderName;
    GetIndString(folderName, kDotLibStrings, 2);
    FSSpec folder;
    KorvelCatInfo info;
    if (FindFolder(kOnSystemDisk, kApplicationSupportFolderType, kCreateFolder, &vRefNum, &dataID) == noErr &&
        folderName[0] != 0) {
        OSErr err = FSMakeFSSpec(vRefNum, dataID, folderName, &folder);
        if (err == fnfErr) {
            SInt32 made = 0;
            err = FSpDirCreate(&folder, 0, &made);
        }
        if (err == noErr && FSpGetCatInfo(&folder, &info) == noErr && info.isFolder) {
            isDotLibAvailable = true;
            gDotLibVRefNum = folder.vRefNum;
            gDotLibFolderID = info.dirID;
        }
    }
    gDotLibRefNum = -1;
    if (gDotLibName[0] != 0 && isDotLibAvailable) {
        FSSpec file;
        std::vector<std::string> commands;
        SInt16 refNum = -1;
        if (GetDotLibFolderSpec(gDotLibName, &file) == noErr) refNum = FSpOpenResFile(&file, fsRdWrPerm);
        // A library that is gone or damaged is let go quietly at start-up.
        if (refNum != -1 && ReadCommands(refNum, &commands) == noErr) gDotLibRefNum = refNum;
        else if (refNum != -1) CloseResFile(refNum);
    }
    if (gDotLibRefNum == -1) ClearLibName();
}

void CloseDotLib() {
    if (gDotLibRefNum != -1) CloseResFile(gDotLibRefNum);
    gDotLibRefNum = -1;
}

OSErr SetDotLibMain(const FSSpec& file) {
    KorvelCatInfo info;
    if (FSpGetCatInfo(&file, &info) == noErr && info.dataLength > kMaxDotLibBytes) {
        ErrorAlertFromResource(kDotLibErrStrings, kDotLibDamaged);
        return paramErr;
    }
    const SInt16 refNum = FSpOpenResFile(&file, fsRdWrPerm);
    if (refNum == -1) {
        SysBeep(1);
        return ResError() != noErr ? ResError() : OSErr(fnfErr);
    }
    if (refNum == gDotLibRefNum) return noErr;
    std::vector<std::string> commands;
    if (ReadCommands(refNum, &commands) != noErr) {
        CloseResFile(refNum);
        ErrorAlertFromResource(kDotLibErrStrings, kDotLibDamaged);
        return paramErr;
    }
    CloseDotLib();
    gDotLibRefNum = refNum;
    CopyCStringToPascal(PStringToStd(file.name), gDotLibName, kMaxDotCommand);
    UpdateDotModePalette(nullptr);
    return noErr;
}

OSErr AddNewDotLibMain(ConstStr255Param name) {
    FSSpec file;
    OSErr err = GetDotLibFolderSpec(name, &file);
    if (err == noErr) return dupFNErr;
    if (err != fnfErr) return err;
    FSpCreateResFile(&file, kKorvelCreator, kDotLibType, 0);
    err = ResError();
    SInt16 refNum = err == noErr ? FSpOpenResFile(&file, fsRdWrPerm) : -1;
    if (refNum != -1) {
        const std::vector<UInt8> empty = EncodeDotLibCommands({});
        const SInt16 saved = CurResFile();
        UseResFile(refNum);
        const Str255 noName{};
        AddResource(NewHandleFromBytes(empty), kStrListType, kDotLibID, noName);
        err = ResError();
        UseResFile(saved);
        if (err == noErr) {
            UpdateResFile(refNum);
            err = ResError();
        }
        CloseResFile(refNum);
    } else if (err == noErr) {
        err = ResError() != noErr ? ResError() : OSErr(ioErr);
    }
    if (err != noErr) {
        (void)FSpDelete(&file);
        ErrorAlertFromResource(kDotLibErrStrings, kDotLibCannotMake);
        return err;
    }
    return SetDotLibMain(file);
}

SInt16 CountCmdNum() {
    std::vector<std::string> commands;
    if (ReadCommands(gDotLibRefNum, &commands) != noErr) return -1;
    return SInt16(commands.size());
}

OSErr GetDotLibCommands(std::vector<std::string>* commands) { return ReadCommands(gDotLibRefNum, commands); }

OSErr SetDotLibCommands(const std::vector<std::string>& commands) {
    if (commands.size() > size_t(kMaxDotLibCommands)) return paramErr;
    Handle h = LibraryList(gDotLibRefNum);
    if (!h) return resNotFound;
    const std::vector<UInt8> old(reinterpret_cast<const UInt8*>(*h), reinterpret_cast<const UInt8*>(*h) + GetHandleSize(h));
    auto put = [h](const std::vector<UInt8>& bytes) {
        SetHandleSize(h, Size(bytes.size()));
        if (MemError() != noErr) return MemError();
        std::memcpy(*h, bytes.data(), bytes.size());
        ChangedResource(h);
        return ResError();
    };
    OSErr err = put(EncodeDotLibCommands(commands));
    if (err == noErr) {
        UpdateResFile(gDotLibRefNum);
        err = ResError();
    }
    if (err != noErr) (void)put(old);  // the open library keeps what the file still holds
    return err;
}

void AddCmdToLib() {
    std::vector<std::string> commands;
    const std::string command = PStringToStd(gDotCommand);
    if (command.empty() || GetDotLibCommands(&commands) != noErr ||
        std::find(commands.begin(), commands.end(), command) != commands.end()) {
        SysBeep(1);
        return;
    }
    commands.push_back(command);
    if (SetDotLibCommands(commands) != noErr) {
        SysBeep(1);
        return;
    }
    UpdateDotModePalette(nullptr);
}

void DoDeleteDotCommand(SInt16 index) {
    std::vector<std::string> commands;
    if (GetDotLibCommands(&commands) != noErr || index < 1 || size_t(index) > commands.size()) return;
    commands.erase(commands.begin() + (index - 1));
    if (SetDotLibCommands(commands) != noErr) SysBeep(1);
    UpdateDotModePalette(nullptr);
}

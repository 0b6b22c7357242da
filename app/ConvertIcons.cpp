// The icon half of `korvel convert`: icon families, Windows icons and the
// icons of resource files, read and written with the program's own readers
// and writers; single members to and from PNG.
#include "app/ConvertInternal.h"

#include "icons/IconConvert.h"
#include "icons/WinIcon.h"
#include "image/IconFamilyFiles.h"
#include "image/IconResources.h"
#include "image/KorvelIcon.h"
#include "io/MemberPng.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/resources/Resources.h"

#include <cstring>

namespace {

// The first ID that holds an icon: an 'icns' resource, else a 1-bit member,
// else any member.
bool FirstIconID(ResID* id) {
    constexpr OSType kTypes[] = {FourCC("icns"), FourCC("ICN#"), FourCC("ics#"), FourCC("icl8"), FourCC("il32"),
                                 FourCC("is32"), FourCC("icl4"), FourCC("ics8"), FourCC("ics4")};
    for (OSType type : kTypes) {
        if (Count1Resources(type) == 0) continue;
        SetResLoad(false);
        Handle h = Get1IndResource(type, 1);
        SetResLoad(true);
        if (!h) continue;
        ResType t = 0;
        Str255 name;
        GetResInfo(h, id, &t, name);
        return true;
    }
    return false;
}

OSErr ReadResourceFileIcon(const ConvertOptions& o, const FSSpec& file, KorvelIcon* icon, std::string* why) {
    const SInt16 ref = FSpOpenResFile(&file, fsRdPerm);
    if (ref == kResFileNotOpen) {
        *why = "it is not a resource file";
        return ResError() != noErr ? ResError() : OSErr(eofErr);
    }
    const SInt16 saved = CurResFile();
    UseResFile(ref);
    ResID id = o.id;
    OSErr err = noErr;
    if (!o.hasId && !FirstIconID(&id)) {
        *why = "it holds no icon";
        err = resNotFound;
    } else {
        err = Get1KorvelIcon(icon, id, IconMemberSelector{kAll32IconSelector, true, true});
        if (err == noErr && icon->suite) err = ForEachIconDo(icon->suite, kAll32IconSelector, DetachIcon, nullptr);
        if (err == noErr && !IsValidIconSuite(icon->suite) && !icon->it32Data) {
            *why = "it holds no icon " + std::to_string(id);
            err = resNotFound;
        }
        if (err != noErr && why->empty()) *why = "icon " + std::to_string(id) + " cannot be read";
    }
    UseResFile(saved);
    CloseResFile(ref);
    return err;
}

OSErr ReadIcon(const ConvertOptions& o, const FSSpec& file, OutputKind kind, KorvelIcon* icon, std::string* why) {
    OSErr err = noErr;
    switch (kind) {
    case OutputKind::icns: err = XIconToKorvelIcon(&file, icon); break;
    case OutputKind::ico: {
        std::vector<std::string> notes;
        err = WinIconToKorvelIcon(file, icon, &notes);
        break;
    }
    case OutputKind::rsrc: return ReadResourceFileIcon(o, file, icon, why);
    default: err = paramErr; break;
    }
    if (err != noErr) *why = "the icon cannot be read";
    return err;
}

// A flat resource file holding the icon under the ID: its members, and the
// whole family as 'icns' when it has a thumbnail the members cannot hold.
OSErr WriteResourceFileIcon(const FSSpec& file, const KorvelIcon& icon, ResID id) {
    const SInt16 ref = NewResFileInMemory();
    if (ref == kResFileNotOpen) return memFullErr;
    const SInt16 saved = CurResFile();
    UseResFile(ref);
    IconResInfo info;
    info.resID = id;
    info.attributes = kIconResourceAttributes;
    OSErr err = icon.suite ? ForEachIconDo(icon.suite, kAll32IconSelector, AddIconToFile, &info) : OSErr(noErr);
    if (err == noErr && icon.it32Data) {
        IconFamilyHandle family = nullptr;
        err = KorvelIconToIconFamily(icon, &family);
        UniqueHandle owner(reinterpret_cast<Handle>(family));
        if (err == noErr) {
            const auto* bytes = reinterpret_cast<const UInt8*>(*owner.get());
            err = SaveDataToResource({bytes, size_t(GetHandleSize(owner.get()))}, FourCC("icns"), id, nullptr,
                                     kIconResourceAttributes);
        }
    }
    std::vector<UInt8> bytes;
    if (err == noErr) err = GetResFileBytes(ref, &bytes);
    UseResFile(saved);
    CloseResFile(ref);
    if (err != noErr) return err;
    return WriteFileAtomically(FSSpecToPath(&file), bytes);
}

OSErr WriteIcon(const ConvertOptions& o, const FSSpec& file, OutputKind kind, const KorvelIcon& icon) {
    switch (kind) {
    case OutputKind::icns: return MakeXIconWithKorvelIcon(&file, icon);
    case OutputKind::ico: return MakeWinIconFromKorvelIcon(file, icon);
    case OutputKind::rsrc: return WriteResourceFileIcon(file, icon, o.id);
    default: return paramErr;
    }
}

bool IsIconKind(OutputKind kind) {
    return kind == OutputKind::icns || kind == OutputKind::ico || kind == OutputKind::rsrc;
}

// Replaces the member with the picture converted to it (the mask halves by
// the picture's shape), keeping the other half of a 1-bit member.
OSErr SetMemberFromPicture(KorvelIcon* icon, SInt16 kind, PicHandle picture) {
    UniqueHandle converted(PictureToIcon(picture, kind));
    if (!converted) return memFullErr;
    const Size full = IconKindDataSize(kind);
    UniqueHandle data(NewHandleClear(full));
    if (!data) return memFullErr;
    Handle old = nullptr;
    if (GetDataFromKorvelIcon(&old, *icon, kind) == noErr && old && GetHandleSize(old) == full)
        std::memcpy(*data.get(), *old, size_t(full));
    const Size offset = IconKindDataOffset(kind);
    const Size length = GetHandleSize(converted.get());
    if (offset + length > full) return paramErr;
    std::memcpy(*data.get() + offset, *converted.get(), size_t(length));
    // The thumbnail members are the record's own handles, freed by whoever
    // replaces them; the suite frees its members itself.
    Handle thumbnail = kind == kKindIt32 || kind == kKindT8mk ? old : nullptr;
    if (const OSErr err = SetDataToKorvelIcon(data.get(), icon, kind); err != noErr) return err;
    data.release();
    if (thumbnail) DisposeHandle(thumbnail);
    return noErr;
}

}  // namespace

int ConvertIcon(const ConvertOptions& o, const FSSpec& in, const FSSpec& out, OutputKind inKind, OutputKind outKind) {
    KorvelIconOwner icon;
    std::string why;
    if (ReadIcon(o, in, inKind, icon.get(), &why) != noErr) return Refuse(o.in, why);
    if (o.memberKind >= 0) {
        if (outKind != OutputKind::png) return Refuse(o.out, "a member converts to a .png file");
        std::vector<UInt8> png;
        if (MemberToPng(*icon, o.memberKind, &png) != noErr) return Refuse(o.in, "the icon has no such member");
        if (WriteFileAtomically(o.out, png) != noErr) return Refuse(o.out, "the file cannot be written");
        return 0;
    }
    if (!IsIconKind(outKind)) return Refuse(o.out, "an icon converts to .icns, .ico or .rsrc, or with --member to .png");
    if (WriteIcon(o, out, outKind, *icon) != noErr) return Refuse(o.out, "the icon cannot be written in this format");
    return 0;
}

int StoreMember(const ConvertOptions& o, const FSSpec& out, OutputKind outKind, PicHandle picture) {
    if (!IsIconKind(outKind)) return Refuse(o.out, "a member goes into an .icns, .ico or .rsrc file");
    KorvelIconOwner icon;
    std::string why;
    if (PathExists(o.out)) {
        if (ReadIcon(o, out, outKind, icon.get(), &why) != noErr) return Refuse(o.out, why);
    } else if (NewIconSuite(&icon->suite) != noErr) {
        return Refuse(o.out, "there is not enough memory for the icon");
    }
    if (SetMemberFromPicture(icon.get(), o.memberKind, picture) != noErr)
        return Refuse(o.in, "the picture cannot be made into the member");
    if (WriteIcon(o, out, outKind, *icon) != noErr) return Refuse(o.out, "the icon cannot be written in this format");
    return 0;
}

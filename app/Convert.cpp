#include "app/Convert.h"

#include "app/AppResources.h"
#include "app/ConvertInternal.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "io/DocumentPicture.h"
#include "io/ImportPicture.h"
#include "io/MemberPng.h"
#include "io/OpenDocuments.h"
#include "io/PictFile.h"
#include "io/PngFile.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/FileIO.h"
#include "platform/files/FileTypes.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/Scripting.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr const char* kConvertUsage =
    "usage: korvel convert IN OUT [--member KIND] [--id N] [--size WxH]\n"
    "                      [--interlaced] [--compression 0-9] [--transparency COLOUR]\n"
    "                      [--fill-transparent] [--reduce-colors]\n";

// By transparent-colour kind of the PNG settings.
constexpr const char* kTransparencyNames[] = {"none", "white", "corner", "pen", "black", "background", "own"};

int Usage() {
    std::fputs(kConvertUsage, stderr);
    return 2;
}

bool ParseNumber(std::string_view text, int low, int high, int* value) {
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return err == std::errc() && end == text.data() + text.size() && *value >= low && *value <= high;
}

bool ParseSize(std::string_view text, SInt16* width, SInt16* height) {
    const size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string_view::npos || !ParseNumber(text.substr(0, x), 1, kMaxPictureEdge, &w) ||
        !ParseNumber(text.substr(x + 1), 1, kMaxPictureEdge, &h))
        return false;
    *width = SInt16(w);
    *height = SInt16(h);
    return true;
}

bool ParseOptions(int argc, char** argv, ConvertOptions* o) {
    std::vector<std::string_view> paths;
    for (int i = 0; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        int n = 0;
        if (a == "--member" && hasValue) {
            o->memberKind = MemberKindFromName(argv[++i]);
            if (o->memberKind < 0) return false;
        } else if (a == "--id" && hasValue) {
            if (!ParseNumber(argv[++i], -32768, 32767, &n)) return false;
            o->hasId = true;
            o->id = ResID(n);
        } else if (a == "--size" && hasValue) {
            if (!ParseSize(argv[++i], &o->width, &o->height)) return false;
        } else if (a == "--compression" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 9, &n)) return false;
            o->png.compressLevel = SInt16(n);
        } else if (a == "--transparency" && hasValue) {
            const std::string_view name = argv[++i];
            SInt16 kind = -1;
            for (SInt16 k = 0; k < SInt16(std::size(kTransparencyNames)); ++k)
                if (kTransparencyNames[k][0] && name == kTransparencyNames[k]) kind = k;
            if (kind < 0) return false;
            o->png.transColorKind = kind;
        } else if (a == "--interlaced") {
            o->png.interlaced = 1;
        } else if (a == "--fill-transparent") {
            o->png.fillTransparent = 1;
        } else if (a == "--reduce-colors") {
            o->png.reduceColors = 1;
        } else if (a == "--all-colors") {
            o->png.reduceColors = 0;
        } else if (a.starts_with("-") && a != "-") {
            return false;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) return false;
    o->in = paths[0];
    o->out = paths[1];
    return true;
}

// The toolbox as the program sets it up, on no screen, with nobody to answer
// dialogs and the settings' defaults rather than the user's.
class HeadlessToolbox {
public:
    HeadlessToolbox() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QT_LOGGING_RULES", "*=false", 0);
        static char name[] = "korvel";
        static char* args[] = {name, nullptr};
        static int count = 1;
        InitToolbox(count, args);
        ok_ = InitWindows() == noErr && OpenApplicationResources() == noErr;
        if (!ok_) return;
        gApplRefNum = GetApplicationResFile();
        InitConstants();
        InitGlobals();
        SetPrefDefaults();
        SetUnattended(true);
        MenuBarInit();
        ToolWindowInit();
    }
    ~HeadlessToolbox() {
        while (WindowRef w = FrontDocumentWindow()) {
            if (PaintWinRec* rec = GetPaintWinRec(w)) rec->isDirty = false;
            if (CloseDocumentWindow(w, false) != noErr) DisposeWindow(w);
        }
        TearDownWindows();
        TearDownToolbox();
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// The last alert as one line, or `otherwise` when there was none.
std::string AlertReason(const std::string& otherwise) {
    std::string text = DialogsShown().empty() ? std::string() : LastAlertText();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text.empty() ? otherwise : text;
}

// Opens a picture into a paint window through the program's openers.
WindowRef OpenPicture(const ConvertOptions& o, const FSSpec& in, std::string* why) {
    ResetScriptLog();
    Str255 suffix;
    GetSuffix(in.name, suffix);
    const std::string s = PStringToStd(suffix);
    OSErr err = noErr;
    if (s == ".svg" || s == ".svgz" || s == ".SVG") {
        const Rect size{0, 0, o.height, o.width};  // empty: the drawing's own size
        err = OpenImportedPictureAt(in, &size);
    } else {
        err = HandleOpenDoc(in);
    }
    WindowRef w = FrontDocumentWindow();
    if (err != noErr || !GetPaintWinRec(w)) {
        *why = AlertReason("it is not a picture Korvel opens");
        return nullptr;
    }
    return w;
}

int ConvertPicture(const ConvertOptions& o, const FSSpec& in, const FSSpec& out, OutputKind kind) {
    std::string why;
    if (kind != OutputKind::png && kind != OutputKind::pict && o.memberKind < 0)
        return Refuse(o.out, "a picture converts to .png or .pict, or with --member into an icon");
    // A PNG goes into a member as the external editor's PNG comes back.
    if (o.memberKind >= 0 && InputKindOf(o.in) == OutputKind::png) {
        std::vector<UInt8> bytes;
        if (ReadWholeFile(o.in, &bytes) != noErr) return Refuse(o.in, "the file cannot be read");
        UniqueHandle picture(reinterpret_cast<Handle>(PngToPicture(bytes, &why)));
        if (!picture) return Refuse(o.in, why);
        return StoreMember(o, out, kind, reinterpret_cast<PicHandle>(picture.get()));
    }
    WindowRef w = OpenPicture(o, in, &why);
    if (!w) return Refuse(o.in, why);
    ResetScriptLog();
    if (o.memberKind >= 0) {
        UniqueHandle picture(reinterpret_cast<Handle>(GetSelectionPic(w, true)));
        if (!picture) return Refuse(o.in, "the picture cannot be made");
        return StoreMember(o, out, kind, reinterpret_cast<PicHandle>(picture.get()));
    }
    OSErr err = noErr;
    if (kind == OutputKind::png) {
        gPNGFilePrefs = o.png;
        err = SaveAsPNG(w, out);
    } else {
        UniqueHandle picture(reinterpret_cast<Handle>(GetSelectionPic(w, true)));
        err = picture ? SaveAsPictMain(reinterpret_cast<PicHandle>(picture.get()), out) : OSErr(memFullErr);
    }
    if (err != noErr) return Refuse(o.out, AlertReason("the file cannot be written"));
    return 0;
}

}  // namespace

int Refuse(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "korvel: %s: %s\n", path.c_str(), why.c_str());
    return 1;
}

OutputKind InputKindOf(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return OutputKind::other;
    std::string suffix = path.substr(dot);
    for (char& c : suffix) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (suffix == ".png") return OutputKind::png;
    if (suffix == ".pict" || suffix == ".pct") return OutputKind::pict;
    if (suffix == ".icns") return OutputKind::icns;
    if (suffix == ".ico") return OutputKind::ico;
    if (suffix == ".rsrc") return OutputKind::rsrc;
    return OutputKind::other;
}

SInt16 MemberKindFromName(const std::string& name) {
    for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
        const OSType t = gIconType[size_t(kind)];
        std::string type{char(t >> 24), char(t >> 16), char(t >> 8), char(t)};
        const bool maskHalf = IconKindOtherHalf(kind) >= 0 && IconKindDataOffset(kind) > 0;
        if (maskHalf) type += "mask";
        if (name == type) return kind;
    }
    return -1;
}

int RunConvert(int argc, char** argv) {
    ConvertOptions o;
    if (!ParseOptions(argc, argv, &o)) return Usage();
    FSSpec in, out;
    if (FSSpecFromPath(o.in, &in) != noErr || !PathIsFile(o.in)) return Refuse(o.in, "the file does not exist");
    if (FSSpecFromPath(o.out, &out) != noErr) return Refuse(o.out, "its folder does not exist");
    if (PathIsFolder(o.out)) return Refuse(o.out, "it is a folder");
    const OutputKind outKind = InputKindOf(o.out);
    if (outKind == OutputKind::other) return Refuse(o.out, "Korvel writes .png, .pict, .icns, .ico and .rsrc files");

    HeadlessToolbox toolbox;
    if (!toolbox.ok()) return Refuse(o.in, "the application's resources do not open");
    const OutputKind inKind = InputKindOf(o.in);
    const bool iconIn = inKind == OutputKind::icns || inKind == OutputKind::ico || inKind == OutputKind::rsrc;
    if (iconIn) return ConvertIcon(o, in, out, inKind, outKind);
    return ConvertPicture(o, in, out, outKind);
}

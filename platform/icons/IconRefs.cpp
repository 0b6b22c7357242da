// Icon references: the family the desktop shows for a file or folder, taken
// from its custom icon or drawn from the freedesktop icon theme.
#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "platform/icons/DesktopIcons.h"
#include "platform/resources/ResourceFork.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>
#include <memory>

struct OpaqueIconRef {
    std::vector<UInt8> family;
};

namespace {

constexpr OSType kIconFamilyResType = FourCC("icns");

// ---- custom icons ----

const ForkResource* FindResource(const ResourceForkImage& fork, ResType type, ResID id) {
    for (const auto& r : fork.resources)
        if (r.type == type && r.id == id) return &r;
    return nullptr;
}

// The member resources -16455 of a fork gathered into a family; an empty
// family when there are none.
[[nodiscard]] OSErr FamilyFromMembers(const ResourceForkImage& fork, std::vector<UInt8>* family) {
    UniqueIconSuite suite;
    if (OSErr err = NewIconSuite(suite.out()); err != noErr) return err;
    int count = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const OSType type = IconTypeForSelectorBit(bit);
        const ForkResource* r = type ? FindResource(fork, type, kCustomIconResourceID) : nullptr;
        if (!r || r->data.empty()) continue;
        UniqueHandle h(NewHandleFromBytes(r->data));
        if (!h) return memFullErr;
        if (OSErr err = AddIconToSuite(h.get(), suite.get(), type); err != noErr) return err;
        h.release();
        ++count;
    }
    family->clear();
    if (count == 0) return noErr;
    Handle raw = nullptr;
    if (OSErr err = IconSuiteToIconFamily(suite.get(), kSelectorAllAvailableData, &raw); err != noErr) return err;
    UniqueHandle built(raw);
    const auto bytes = HandleBytes(built.get());
    family->assign(bytes.begin(), bytes.end());
    return noErr;
}

// ---- theme icons ----

// Qt looks for themes only where its platform theme says; without a desktop
// (offscreen, minimal) that is nowhere, and no theme is named.
void PrepareIconTheme() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    QStringList paths = QIcon::themeSearchPaths();
    auto add = [&paths](const QString& dir) {
        if (!dir.isEmpty() && !paths.contains(dir)) paths << dir;
    };
    const QString home = QDir::homePath();
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    add((dataHome && dataHome[0] == '/' ? QFile::decodeName(dataHome) : home + "/.local/share") + "/icons");
    add(home + "/.icons");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const QString dirs = dataDirs && dataDirs[0] ? QFile::decodeName(dataDirs) : "/usr/local/share:/usr/share";
    for (const QString& dir : dirs.split(':', Qt::SkipEmptyParts))
        if (dir.startsWith('/')) add(dir + "/icons");
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName("Adwaita");
}

// The icon at exactly edge x edge pixels, centred and scaled down when the
// theme has no picture of that size. Format_ARGB32: not premultiplied.
QImage RenderIcon(const QIcon& icon, int edge) {
    QImage image = icon.pixmap(QSize(edge, edge), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.width() == edge && image.height() == edge) return image;
    if (image.width() > edge || image.height() > edge)
        image = image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage canvas(edge, edge, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage((edge - image.width()) / 2, (edge - image.height()) / 2, image);
    painter.end();
    return canvas;
}

// Opaque enough to count in a 1-bit mask.
constexpr int kMaskThreshold = 128;

// The 32-bit member (pad, red, green, blue), its 8-bit mask, and the 1-bit
// image-and-mask pair, both halves the silhouette drawn from the alpha.
void MembersOfImage(const QImage& image, std::vector<UInt8>* pixels, std::vector<UInt8>* mask,
                    std::vector<UInt8>* bits) {
    const int edge = image.width();
    const size_t rowBytes = size_t(edge) / 8;
    pixels->assign(size_t(edge) * edge * 4, 0);
    mask->assign(size_t(edge) * edge, 0);
    bits->assign(rowBytes * edge * 2, 0);
    for (int y = 0; y < edge; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < edge; ++x) {
            const size_t i = size_t(y) * edge + x;
            (*pixels)[i * 4 + 1] = UInt8(qRed(row[x]));
            (*pixels)[i * 4 + 2] = UInt8(qGreen(row[x]));
            (*pixels)[i * 4 + 3] = UInt8(qBlue(row[x]));
            (*mask)[i] = UInt8(qAlpha(row[x]));
            if (qAlpha(row[x]) >= kMaskThreshold) {
                const UInt8 bit = UInt8(0x80 >> (x % 8));
                (*bits)[size_t(y) * rowBytes + x / 8] |= bit;
                (*bits)[rowBytes * edge + size_t(y) * rowBytes + x / 8] |= bit;
            }
        }
    }
}

[[nodiscard]] OSErr ThemeIconFamily(const QStringList& iconNames, std::vector<UInt8>* family) {
    // Theme icons are drawn through Qt's pixmaps, which need the application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return noSuchIconErr;
    PrepareIconTheme();
    QIcon icon;
    for (const QString& name : iconNames) {
        if (name.isEmpty()) continue;
        icon = QIcon::fromTheme(name);
        if (!icon.isNull()) break;
    }
    if (icon.isNull()) return noSuchIconErr;

    struct Members {
        int edge;
        OSType pixels, mask, bits;
    };
    constexpr Members kSizes[] = {
        {16, FourCC("is32"), FourCC("s8mk"), FourCC("ics#")},
        {32, FourCC("il32"), FourCC("l8mk"), FourCC("ICN#")},
        {128, FourCC("it32"), FourCC("t8mk"), 0},
    };
    Handle raw = nullptr;
    if (OSErr err = NewIconFamily(&raw); err != noErr) return err;
    UniqueHandle built(raw);
    std::vector<UInt8> pixels, mask, bits;
    for (const Members& size : kSizes) {
        const QImage image = RenderIcon(icon, size.edge);
        if (image.isNull()) return noSuchIconErr;
        MembersOfImage(image, &pixels, &mask, &bits);
        for (const auto& [type, data] : {std::pair{size.bits, &bits}, std::pair{size.pixels, &pixels},
                                         std::pair{size.mask, &mask}}) {
            if (type == 0) continue;
            UniqueHandle h(NewHandleFromBytes(*data));
            if (!h) return memFullErr;
            if (OSErr err = SetIconFamilyData(built.get(), type, h.get()); err != noErr) return err;
        }
    }
    const auto bytes = HandleBytes(built.get());
    family->assign(bytes.begin(), bytes.end());
    return noErr;
}

QStringList ThemeIconNames(const std::string& path, bool isFolder) {
    if (isFolder) return {"folder", "inode-directory"};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QFile::decodeName(path.c_str()));
    return {type.iconName(), type.genericIconName(), "application-x-generic", "text-x-generic"};
}

}  // namespace

OSErr ReadCustomIconFamily(const FSSpec* item, std::vector<UInt8>* family) {
    if (!item || !family) return paramErr;
    family->clear();
    const std::string path = FSSpecToPath(item);
    if (path.empty()) return dirNFErr;
    if (!PathExists(path)) return fnfErr;
    UInt16 flags = 0;
    if (OSErr err = FSpGetFinderFlags(item, &flags); err != noErr) return err;
    if (!(flags & kHasCustomIcon)) return noSuchIconErr;

    FSSpec carrier = *item;
    if (PathIsFolder(path))
        if (OSErr err = FSSpecFromPath(path + "/" + std::string(kFolderIconFileName), &carrier); err != noErr)
            return err;
    std::vector<UInt8> bytes;
    OSErr err = ReadResourceFork(&carrier, &bytes, nullptr);
    if (err == eofErr || err == fnfErr) return noSuchIconErr;
    if (err != noErr) return err;
    ResourceForkImage fork;
    if (OSErr parseErr = ParseResourceFork(bytes, &fork); parseErr != noErr) return parseErr;

    if (const ForkResource* r = FindResource(fork, kIconFamilyResType, kCustomIconResourceID)) {
        size_t length = 0;
        std::vector<IconFamilyElement> elements;
        // A damaged family is passed over for the member resources.
        if (ParseIconFamily(r->data, &elements, nullptr, &length) == noErr && !elements.empty()) {
            // Bytes past the family's own length are not part of it.
            ByteWriter w;
            w.bytes(std::span(r->data).first(length));
            w.patchU32be(4, UInt32(length));
            *family = std::move(w.buffer());
            return noErr;
        }
    }
    if (OSErr membersErr = FamilyFromMembers(fork, family); membersErr != noErr) return membersErr;
    return family->empty() ? noSuchIconErr : noErr;
}

OSErr GetIconRefFromFile(const FSSpec* theFile, IconRef* theIconRef, SInt16* theLabel) {
    if (!theFile || !theIconRef) return paramErr;
    *theIconRef = nullptr;
    if (theLabel) *theLabel = 0;
    auto ref = std::make_unique<OpaqueIconRef>();
    OSErr err = ReadCustomIconFamily(theFile, &ref->family);
    if (err == noSuchIconErr) {
        const std::string path = FSSpecToPath(theFile);
        err = ThemeIconFamily(ThemeIconNames(path, PathIsFolder(path)), &ref->family);
    }
    if (err != noErr) return err;
    *theIconRef = ref.release();
    return noErr;
}

OSErr IconRefToIconFamily(IconRef theIconRef, IconSelectorValue whichIcons, IconFamilyHandle* iconFamily) {
    if (!theIconRef || !iconFamily) return paramErr;
    *iconFamily = nullptr;
    std::vector<IconFamilyElement> elements;
    if (OSErr err = ParseIconFamily(theIconRef->family, &elements); err != noErr) return err;
    ByteWriter w;
    w.u32be(kIconFamilyType);
    w.u32be(0);
    for (const auto& e : elements) {
        if (whichIcons != kSelectorAllAvailableData && !(SelectorBitForIconType(e.type) & whichIcons)) continue;
        const auto data = e.data(theIconRef->family);
        w.u32be(e.type);
        w.u32be(UInt32(data.size() + kIconFamilyHeaderSize));
        w.bytes(data);
    }
    w.patchU32be(4, UInt32(w.size()));
    *iconFamily = NewHandleFromBytes(w.buffer());
    return *iconFamily ? noErr : memFullErr;
}

OSErr ReleaseIconRef(IconRef theIconRef) {
    if (!theIconRef) return paramErr;
    std::unique_ptr<OpaqueIconRef> owner(theIconRef);
    return noErr;
}

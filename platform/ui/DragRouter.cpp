// Drags over Qt: TrackDrag runs a QDrag whose data other programs ask for
// by MIME type; every drag over the main window, Korvel's own or another
// program's, goes to the handlers of the window under the mouse, and a drop
// that none takes opens its files.
//
// Files for other programs (a dragged picture as PNG, promised files) are
// made when a receiver first asks for text/uri-list, in a folder of the drag's
// own under $TMPDIR/Korvel. The receiver copies them from there; the folders
// of earlier drags are removed when the next drag starts and when the program
// ends.
#include "platform/ui/Drag.h"

#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/ui/DragInternal.h"
#include "platform/ui/DragRecord.h"
#include "platform/ui/LayerState.h"
#include "platform/ui/Scrap.h"
#include "platform/ui/ScrapInternal.h"

#include <QBuffer>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QUrl>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr FlavorType kPictFlavor = FourCC("PICT");
constexpr FlavorType kIconFamilyFlavor = FourCC("icns");
const QString kUriList = QStringLiteral("text/uri-list");
const QString kPng = QStringLiteral("image/png");

TrackDragScriptProc gTrackDragScript;

QString OwnType(FlavorType type) { return QString::fromStdString(ScrapFlavorMimeType(type)); }

// ---- Files made for other programs ----

std::vector<std::string>& MadeFolders() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveMadeFolders() {
    for (const std::string& folder : MadeFolders()) {
        std::error_code ignored;  // a folder the receiver still uses may stay
        std::filesystem::remove_all(folder, ignored);
    }
    MadeFolders().clear();
}

std::string DragFolder(DragRef drag) {
    if (!drag->tempFolder.empty()) return drag->tempFolder;
    static unsigned counter = 0;
    const std::string base = FindFolderPath(kTemporaryFolderType);
    if (base.empty()) return {};
    const std::string folder = base + "/drag-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    std::error_code err;
    std::filesystem::create_directories(folder, err);
    if (err) return {};
    if (MadeFolders().empty()) std::atexit(RemoveMadeFolders);
    MadeFolders().push_back(folder);
    drag->tempFolder = folder;
    return folder;
}

const std::vector<UInt8>* FlavorBytes(DragRef drag, DragItemRef item, FlavorType type) {
    const std::vector<UInt8>* bytes = nullptr;
    return ui_internal::DragFlavorBytes(drag, item, type, &bytes) == noErr ? bytes : nullptr;
}

// The file an item stands for in a list of files, made when it is promised
// or a picture; empty when there is none.
std::string ItemFile(DragRef drag, DragItemRef item, size_t index) {
    if (const std::vector<UInt8>* hfs = FlavorBytes(drag, item, kDragFlavorTypeHFS);
        hfs && hfs->size() == sizeof(HFSFlavor)) {
        HFSFlavor flavor;
        std::memcpy(&flavor, hfs->data(), sizeof flavor);
        return FSSpecToPath(&flavor.fileSpec);
    }
    if (ui_internal::FindDragFlavor(drag, item, kDragFlavorTypePromiseHFS)) {
        const std::string folder = DragFolder(drag);
        if (folder.empty() || !ui_internal::FindDragFlavor(drag, item, kDragPromisedFlavor)) return {};
        drag->dropFolder = folder;
        const std::vector<UInt8>* made = FlavorBytes(drag, item, kDragPromisedFlavor);
        drag->dropFolder.clear();
        if (!made || made->size() != sizeof(FSSpec)) return {};
        FSSpec fileSpec;
        std::memcpy(&fileSpec, made->data(), sizeof fileSpec);
        return FSSpecToPath(&fileSpec);
    }
    if (ui_internal::FindDragFlavor(drag, item, kPictFlavor)) {
        const std::vector<UInt8>* picture = FlavorBytes(drag, item, kPictFlavor);
        if (!picture) return {};
        const QByteArray png = ui_internal::PictureAsPng(*picture);
        const std::string folder = DragFolder(drag);
        if (png.isEmpty() || folder.empty()) return {};
        const std::string path =
            folder + (index == 0 ? "/picture.png" : "/picture " + std::to_string(index + 1) + ".png");
        const auto* data = reinterpret_cast<const UInt8*>(png.constData());
        if (WriteFileAtomically(path, std::span<const UInt8>(data, size_t(png.size()))) != noErr) return {};
        return path;
    }
    return {};
}

// ---- Korvel's drags as other programs see them ----

class DragMimeData : public QMimeData {
public:
    explicit DragMimeData(DragRef drag) : drag_(drag) {}
    void Detach() { drag_ = nullptr; }
    DragRef drag() const { return drag_; }

    QStringList formats() const override {
        QStringList list;
        if (!drag_) return list;
        auto add = [&](const QString& format) {
            if (!list.contains(format)) list.append(format);
        };
        for (const OpaqueDragRef::Item& item : drag_->items)
            for (const OpaqueDragRef::Flavor& f : item.flavors) {
                if (f.type == kDragPromisedFlavor) continue;
                if (f.type == kDragFlavorTypeHFS || f.type == kDragFlavorTypePromiseHFS) {
                    add(kUriList);
                    continue;
                }
                if (f.flags & flavorSenderOnly) continue;
                add(OwnType(f.type));
                if (f.type == kPictFlavor) {
                    add(kPng);
                    add(kUriList);
                }
            }
        return list;
    }
    bool hasFormat(const QString& format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString& format, QMetaType) const override {
        if (!drag_) return {};
        if (const auto kept = made_.find(format); kept != made_.end()) return kept->second;
        QByteArray data = Make(format);
        made_[format] = data;
        return data;
    }

private:
    QByteArray Make(const QString& format) const {
        if (format == kUriList) {
            QByteArray list;
            for (size_t i = 0; i < drag_->items.size(); ++i) {
                const std::string path = ItemFile(drag_, drag_->items[i].ref, i);
                if (!path.empty()) list += QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\r\n";
            }
            return list;
        }
        for (const OpaqueDragRef::Item& item : drag_->items)
            for (const OpaqueDragRef::Flavor& f : item.flavors) {
                if (format == kPng && f.type == kPictFlavor) {
                    const std::vector<UInt8>* picture = FlavorBytes(drag_, item.ref, kPictFlavor);
                    return picture ? ui_internal::PictureAsPng(*picture) : QByteArray();
                }
                if (format == OwnType(f.type) && !(f.flags & flavorSenderOnly)) {
                    const std::vector<UInt8>* bytes = FlavorBytes(drag_, item.ref, f.type);
                    return bytes ? QByteArray(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()))
                                 : QByteArray();
                }
            }
        return {};
    }

    DragRef drag_;
    mutable std::map<QString, QByteArray> made_;
};

// ---- Other programs' drags as Korvel sees them ----

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data->hasFormat(kUriList)) return paths;
    for (const QUrl& url : data->urls()) {
        if (paths.size() == kMaxDragItems) break;
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

bool HasImage(const QMimeData* data) {
    for (const QString& format : data->formats())
        if (format.startsWith(QLatin1String("image/"))) return true;
    return data->hasImage();
}

// The picture of another program's data: Korvel's own picture as it is,
// else the first image type that reads.
OSErr ForeignPicture(QPointer<QMimeData> data, std::vector<UInt8>* picture) {
    if (!data) return cantGetFlavorErr;
    if (data->hasFormat(OwnType(kPictFlavor))) {
        const QByteArray held = data->data(OwnType(kPictFlavor));
        if (held.isEmpty()) return cantGetFlavorErr;
        if (Size(held.size()) > kMaxDragFlavorSize) return memFullErr;
        picture->assign(held.begin(), held.end());
        return noErr;
    }
    OSErr err = cantGetFlavorErr;
    for (const QString& format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/"))) continue;
        err = ui_internal::EncodedImageToPicture(data->data(format), picture);
        if (err != noTypeErr) return err;
    }
    if (data->hasImage()) {
        QByteArray png;
        QBuffer buffer(&png);
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull() || Size(image.width()) * image.height() > kMaxScrapPicturePixels) return memFullErr;
        if (buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
            return ui_internal::EncodedImageToPicture(png, picture);
    }
    return err == noTypeErr ? OSErr(cantGetFlavorErr) : err;
}

// A drag record of another program's data: one 'hfs ' item per local file,
// else one 'PICT' item for an image, with the icon family when it carries one.
std::unique_ptr<OpaqueDragRef> ForeignDrag(QMimeData* data) {
    auto drag = std::make_unique<OpaqueDragRef>();
    DragItemRef next = 1;
    const std::vector<std::string> files = LocalFiles(data);
    for (const std::string& path : files) {
        HFSFlavor flavor;
        if (FSSpecFromPath(path, &flavor.fileSpec) != noErr) continue;
        FInfo info{};
        if (FSpGetFInfo(&flavor.fileSpec, &info) == noErr) {
            flavor.fileType = info.fdType;
            flavor.fileCreator = info.fdCreator;
            flavor.fdFlags = info.fdFlags;
        }
        OpaqueDragRef::Flavor f;
        f.type = kDragFlavorTypeHFS;
        f.hasData = true;
        const auto* bytes = reinterpret_cast<const UInt8*>(&flavor);
        f.data.assign(bytes, bytes + sizeof flavor);
        drag->items.push_back(OpaqueDragRef::Item{next++, {std::move(f)}});
    }
    if (files.empty() && (HasImage(data) || data->hasFormat(OwnType(kPictFlavor)))) {
        OpaqueDragRef::Item item{next++, {}};
        QPointer<QMimeData> source(data);
        OpaqueDragRef::Flavor picture;
        picture.type = kPictFlavor;
        picture.fetch = [source](std::vector<UInt8>* bytes) { return ForeignPicture(source, bytes); };
        item.flavors.push_back(std::move(picture));
        if (data->hasFormat(OwnType(kIconFamilyFlavor))) {
            OpaqueDragRef::Flavor family;
            family.type = kIconFamilyFlavor;
            family.fetch = [source](std::vector<UInt8>* bytes) {
                if (!source) return OSErr(cantGetFlavorErr);
                const QByteArray held = source->data(OwnType(kIconFamilyFlavor));
                if (held.isEmpty()) return OSErr(cantGetFlavorErr);
                if (Size(held.size()) > kMaxDragFlavorSize) return OSErr(memFullErr);
                bytes->assign(held.begin(), held.end());
                return OSErr(noErr);
            };
            item.flavors.push_back(std::move(family));
        }
        drag->items.push_back(std::move(item));
    }
    return drag;
}

// ---- The router ----

class DropRouter : public QObject {
public:
    using QObject::QObject;

    // The drag of the data: Korvel's own, or a record made for another
    // program's data while it is over the program.
    DragRef DragOf(const QMimeData* data) {
        if (const auto* own = dynamic_cast<const DragMimeData*>(data); own && own->drag()) return own->drag();
        if (foreign_ && foreignData_ == data) return foreign_.get();
        foreignData_ = data;
        foreign_ = ForeignDrag(const_cast<QMimeData*>(data));
        return foreign_.get();
    }
    void Forget(DragRef drag) {
        if (foreign_.get() == drag) {
            foreign_.reset();
            foreignData_ = nullptr;
        }
    }
    DragRef current = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            current = DragOf(move->mimeData());
            ui_internal::MoveDragTo(current, GlobalOf(watched, move->position()),
                                    ui_internal::ModifiersFromQt(move->modifiers()));
            // Entering is always taken, so that moves over other windows follow.
            const bool here = current->over ? current->hiliteWindow == current->over
                                            : !current->fromThisProgram &&
                                                  ui_internal::AcceptsDroppedFiles(move->mimeData());
            if (here || event->type() == QEvent::DragEnter)
                move->acceptProposedAction();
            else
                move->ignore();
            return true;
        }
        case QEvent::DragLeave:
            if (current) {
                ui_internal::LeaveDragWindows(current);
                Forget(current);
                current = nullptr;
            }
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            DragRef drag = DragOf(drop->mimeData());
            ui_internal::MoveDragTo(drag, GlobalOf(watched, drop->position()), ui_internal::ModifiersFromQt(drop->modifiers()));
            bool taken = ui_internal::DropDragHere(drag, ui_internal::ModifiersFromQt(drop->modifiers())) == noErr;
            if (!taken && !drag->fromThisProgram)
                taken = ui_internal::OpenDroppedFiles(drop->mimeData(), drop->modifiers());
            Forget(drag);
            current = nullptr;
            if (taken)
                drop->acceptProposedAction();
            else
                drop->ignore();
            return true;
        }
        default: return QObject::eventFilter(watched, event);
        }
    }

private:
    static Point GlobalOf(QObject* watched, QPointF position) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const QPoint local = position.toPoint();
        return ui_internal::GlobalFromQt(widget ? widget->mapToGlobal(local) : local);
    }

    std::unique_ptr<OpaqueDragRef> foreign_;
    const QMimeData* foreignData_ = nullptr;
};

QPointer<DropRouter>& Router() {
    static QPointer<DropRouter> router;
    return router;
}

// The outline the person sees moving: the region's one-pixel frame.
QPixmap OutlinePixmap(RgnHandle region, const Point& mouse, QPoint* hotSpot) {
    Rect bounds{};
    if (!region) return {};
    GetRegionBounds(region, &bounds);
    const int width = RectWidth(bounds), height = RectHeight(bounds);
    if (width <= 0 || height <= 0 || width > 2048 || height > 2048) return {};
    UniqueRgn inner;
    CopyRgn(region, inner);
    InsetRgn(inner, 1, 1);
    UniqueRgn frame;
    DiffRgn(region, inner, frame);
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const Rect& r : RegionRects(frame))
        for (int v = r.top; v < r.bottom; ++v)
            for (int h = r.left; h < r.right; ++h)
                image.setPixel(h - bounds.left, v - bounds.top, ((h + v) & 1) ? 0xFF000000u : 0xFFFFFFFFu);
    *hotSpot = QPoint(mouse.h - bounds.left, mouse.v - bounds.top);
    return QPixmap::fromImage(image);
}

}  // namespace

namespace ui_internal {

void EnsureDropRouter() {
    QMainWindow* main = MainWindow();
    if (!main) return;
    QPointer<DropRouter>& router = Router();
    if (router && router->parent() == main) return;
    router = new DropRouter(main);  // goes with the window
    main->setAcceptDrops(true);
    main->installEventFilter(router);
}

}  // namespace ui_internal

void SetTrackDragScript(TrackDragScriptProc proc) { gTrackDragScript = std::move(proc); }

OSErr TrackDrag(DragRef drag, const EventRecord* event, RgnHandle dragRegion) {
    if (!drag) return badDragRefErr;
    if (!event) return paramErr;
    RemoveMadeFolders();
    drag->mouse = event->where;
    drag->downModifiers = drag->modifiers = event->modifiers;
    WindowRef source = nullptr;
    (void)ui_internal::HitTest(event->where, &source);
    drag->sourceWindow = source;
    drag->leftSender = false;

    auto* offered = new DragMimeData(drag);  // the QDrag, or the script below, owns it
    OSErr result = userCanceledErr;
    if (gTrackDragScript) {
        std::unique_ptr<DragMimeData> owned(offered);
        result = gTrackDragScript(drag, offered);
        offered->Detach();
    } else if (QMainWindow* main = ui_internal::MainWindow();
               main && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        ui_internal::EnsureDropRouter();
        QPointer<DragMimeData> watched(offered);
        auto* qdrag = new QDrag(main);
        qdrag->setMimeData(offered);
        QPoint hotSpot;
        const QPixmap outline = OutlinePixmap(dragRegion, event->where, &hotSpot);
        if (!outline.isNull()) {
            qdrag->setPixmap(outline);
            qdrag->setHotSpot(hotSpot);
        }
        const Qt::DropAction action = qdrag->exec(Qt::CopyAction);
        if (watched) watched->Detach();
        qdrag->deleteLater();
        result = action == Qt::IgnoreAction ? OSErr(userCanceledErr) : OSErr(noErr);
        // The window system kept the button's release.
        ui_internal::LiveInput().buttonDown = false;
    } else {
        delete offered;
    }
    ui_internal::LeaveDragWindows(drag);
    return result;
}

void ScriptDragMove(DragRef drag, Point global, EventModifiers modifiers) {
    if (drag) ui_internal::MoveDragTo(drag, global, modifiers);
}

OSErr ScriptDragDrop(DragRef drag, Point global, EventModifiers modifiers) {
    if (!drag) return badDragRefErr;
    ui_internal::MoveDragTo(drag, global, modifiers);
    return ui_internal::DropDragHere(drag, modifiers);
}

OSErr ScriptForeignDrop(const std::vector<std::pair<std::string, std::vector<UInt8>>>& offered, Point global,
                        EventModifiers modifiers) {
    QMimeData data;
    for (const auto& [type, bytes] : offered)
        data.setData(QString::fromStdString(type),
                     QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    std::unique_ptr<OpaqueDragRef> drag = ForeignDrag(&data);
    ui_internal::MoveDragTo(drag.get(), global, modifiers);
    OSErr result = ui_internal::DropDragHere(drag.get(), modifiers);
    Qt::KeyboardModifiers qtModifiers;
    if (modifiers & cmdKey) qtModifiers |= Qt::ControlModifier;
    if (result != noErr && ui_internal::OpenDroppedFiles(&data, qtModifiers)) result = noErr;
    return result;
}

// Files dropped on the main window become the program's open requests.
#include "platform/ui/Application.h"

#include "platform/ui/WindowInternal.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace {

OpenDocumentsProcPtr gOpenDocumentsProc = nullptr;

std::vector<std::string> LocalPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

class FileDropFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!gOpenDocumentsProc || LocalPaths(drag->mimeData()).empty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::string> paths = LocalPaths(drop->mimeData());
            if (!gOpenDocumentsProc || paths.empty()) return false;
            drop->acceptProposedAction();
            // The Command key of this keyboard is Ctrl (see KeyMap).
            gOpenDocumentsProc(paths, (drop->modifiers() & Qt::ControlModifier) != 0);
            return true;
        }
        default: return QObject::eventFilter(watched, event);
        }
    }
};

}  // namespace

void SetOpenDocumentsProc(OpenDocumentsProcPtr proc) {
    gOpenDocumentsProc = proc;
    QMainWindow* main = ui_internal::MainWindow();
    if (!main) return;
    // One filter per main window; it goes with the window.
    static QPointer<FileDropFilter> filter;
    if (!filter || filter->parent() != main) filter = new FileDropFilter(main);
    main->setAcceptDrops(proc != nullptr);
    main->removeEventFilter(filter);
    if (proc) main->installEventFilter(filter);
}

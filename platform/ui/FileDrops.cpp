// Files dropped on the main window become the program's open requests
// (unless a window's drag handler takes them, see DragRouter.cpp).
#include "platform/ui/Application.h"

#include "platform/ui/DragInternal.h"

#include <QMimeData>
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

}  // namespace

namespace ui_internal {

bool AcceptsDroppedFiles(const QMimeData* data) { return gOpenDocumentsProc && !LocalPaths(data).empty(); }

bool OpenDroppedFiles(const QMimeData* data, Qt::KeyboardModifiers modifiers) {
    const std::vector<std::string> paths = LocalPaths(data);
    if (!gOpenDocumentsProc || paths.empty()) return false;
    // The Command key of this keyboard is Ctrl (see KeyMap).
    gOpenDocumentsProc(paths, (modifiers & Qt::ControlModifier) != 0);
    return true;
}

}  // namespace ui_internal

void SetOpenDocumentsProc(OpenDocumentsProcPtr proc) {
    gOpenDocumentsProc = proc;
    ui_internal::EnsureDropRouter();
}

#include "platform/ui/NavDialogs.h"

#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QFileDialog>
#include <QFileInfo>

#include <optional>
#include <string>

namespace {

enum class NavDialogKind { ChooseFile };

// One run of a navigation dialog: the path of the chosen item, or none when
// the user cancelled. A scripted answer comes first; unattended, a dialog
// without one is cancelled at once.
std::optional<std::string> RunNavDialog(NavDialogKind kind, const NavDialogOptions& options) {
    NavAnswer answer;
    if (ui_internal::TakeNavAnswer(&answer)) {
        if (answer.whileShown) answer.whileShown();
        return answer.chosen ? std::optional<std::string>(answer.path) : std::nullopt;
    }
    if (ui_internal::IsUnattended()) return std::nullopt;
    const QString title = QString::fromStdString(LegacyTextToUtf8(PStringToStd(options.message)));
    QString path;
    switch (kind) {
    case NavDialogKind::ChooseFile:
        path = QFileDialog::getOpenFileName(nullptr, title, {}, {}, nullptr, QFileDialog::DontUseNativeDialog);
        break;
    }
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace

OSErr NavChooseFile(const NavDialogOptions* options, NavReplyRecord* reply) {
    if (!reply) return paramErr;
    *reply = NavReplyRecord{};
    const NavDialogOptions defaults;
    const NavDialogOptions& o = options ? *options : defaults;
    const std::optional<std::string> path = RunNavDialog(NavDialogKind::ChooseFile, o);
    if (!path) return userCanceledErr;
    if (o.applicationsOnly && !QFileInfo(QString::fromStdString(*path)).isExecutable()) return paramErr;
    if (const OSErr err = FSSpecFromPath(*path, &reply->selection); err != noErr) return err;
    reply->validRecord = true;
    return noErr;
}

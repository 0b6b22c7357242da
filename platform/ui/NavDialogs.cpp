#include "platform/ui/NavDialogs.h"

#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QDir>
#include <QFileDialog>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>
#include <optional>
#include <string>

namespace {

enum class NavDialogKind { ChooseFile, PutFile };

struct NavResult {
    std::string path;
    SInt16 format = 0;
    bool split = false;
    std::vector<std::string> morePaths{};
};

QString QtText(const std::string& text) { return QString::fromStdString(LegacyTextToUtf8(text)); }

// The folder a dialog starts in; empty leaves it to the dialog.
QString StartFolder(const NavDialogOptions& options) {
    return options.defaultDirID != 0 ? QString::fromStdString(PathForDirID(options.defaultDirID)) : QString();
}

// The name with its suffix changed to the one of the chosen format: any
// suffix of the pop-up's formats is cut first.
QString WithFormatSuffix(QString name, const NavDialogOptions& options, int format) {
    for (const NavMenuItemSpec& item : options.popupExtension) {
        const QString suffix = QString::fromStdString(item.suffix);
        if (!suffix.isEmpty() && name.endsWith(suffix, Qt::CaseInsensitive) && name.size() > suffix.size()) {
            name.chop(suffix.size());
            break;
        }
    }
    return name + QString::fromStdString(options.popupExtension[size_t(format)].suffix);
}

bool SplitsFormat(const NavDialogOptions& options, int format) {
    return std::find(options.splitFormats.begin(), options.splitFormats.end(), format) != options.splitFormats.end();
}

// The name with the tile part ("." and the first tile number) before the
// format's suffix, or without it.
QString WithTilePart(QString name, const NavDialogOptions& options, int format, bool on) {
    const QString suffix = format >= 0 && size_t(format) < options.popupExtension.size()
                               ? QString::fromStdString(options.popupExtension[size_t(format)].suffix)
                               : QString();
    if (!suffix.isEmpty() && name.endsWith(suffix, Qt::CaseInsensitive)) name.chop(suffix.size());
    const QString tile = "." + QString::fromStdString(options.splitNumber);
    if (name.endsWith(tile)) name.chop(tile.size());
    return on ? name + tile + suffix : name + suffix;
}

// The save dialog. It takes the name as typed (not an entry still selected
// in the list), enters a folder that is typed unless the format saves onto
// folders (an empty suffix: a custom icon), and asks before replacing a file.
class SaveDialog : public QFileDialog {
public:
    SaveDialog(const NavDialogOptions& options, const QStringList& filters)
        : QFileDialog(nullptr, QtText(PStringToStd(options.message))), options_(options), filters_(filters) {}
    std::string chosen;

protected:
    void accept() override {
        QLineEdit* nameField = findChild<QLineEdit*>("fileNameEdit");
        const QString text = nameField ? nameField->text().trimmed() : QString();
        if (text.isEmpty()) return;
        const QString path = QDir(directory()).absoluteFilePath(text);
        const QFileInfo info(path);
        const qsizetype format = filters_.indexOf(selectedNameFilter());
        const auto& formats = options_.popupExtension;
        const bool ontoFolders = format >= 0 && size_t(format) < formats.size() && formats[size_t(format)].suffix.empty();
        if (info.isDir() && !ontoFolders) {
            setDirectory(path);
            nameField->clear();
            return;
        }
        const QString question = tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName());
        if (info.exists() && !info.isDir() &&
            QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
                QMessageBox::Yes) {
            return;
        }
        chosen = path.toStdString();
        QDialog::accept();
    }

private:
    const NavDialogOptions& options_;
    const QStringList& filters_;
};

std::optional<NavResult> RunQtSaveDialog(const NavDialogOptions& options) {
    QStringList filters;
    for (const NavMenuItemSpec& item : options.popupExtension) {
        filters << QtText(item.menuItemName) + (item.suffix.empty() ? QString(" (*)")
                                                                     : " (*" + QString::fromStdString(item.suffix) + ")");
    }
    SaveDialog dialog(options, filters);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (const QString folder = StartFolder(options); !folder.isEmpty()) dialog.setDirectory(folder);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(options.popupSelection));
        // A new format gives the typed name that format's suffix.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
            const int format = int(filters.indexOf(filter));
            QLineEdit* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
            if (format < 0 || !nameField) return;
            nameField->setText(WithFormatSuffix(nameField->text(), options, format));
        });
    }
    QCheckBox* split = nullptr;
    if (!options.splitTitle.empty()) {
        split = new QCheckBox(QtText(options.splitTitle), &dialog);
        split->setChecked(options.splitChecked);
        split->setEnabled(SplitsFormat(options, options.popupSelection));
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(split, grid->rowCount(), 0, 1, -1);
        QObject::connect(split, &QCheckBox::toggled, &dialog, [&](bool on) {
            QLineEdit* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
            const int format = int(filters.indexOf(dialog.selectedNameFilter()));
            if (nameField) nameField->setText(WithTilePart(nameField->text(), options, format, on));
        });
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
            const int format = int(filters.indexOf(filter));
            split->setEnabled(SplitsFormat(options, format));
            QLineEdit* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
            if (nameField && split->isChecked())
                nameField->setText(WithTilePart(nameField->text(), options, format, split->isEnabled()));
        });
    }
    dialog.selectFile(QString::fromStdString(PStringToStd(options.savedFileName)));
    if (dialog.exec() != QDialog::Accepted || dialog.chosen.empty()) return std::nullopt;
    const qsizetype format = filters.indexOf(dialog.selectedNameFilter());
    return NavResult{dialog.chosen, SInt16(std::max<qsizetype>(0, format)),
                     split && split->isEnabled() && split->isChecked()};
}

// One run of a navigation dialog: the path of the chosen item and the chosen
// format, or none when the user cancelled. A scripted answer comes first;
// unattended, a dialog without one is cancelled at once.
std::optional<NavResult> RunNavDialog(NavDialogKind kind, const NavDialogOptions& options) {
    const QString folder = StartFolder(options);
    ui_internal::NoteNavDialogFolder(folder.toStdString());
    NavAnswer answer;
    if (ui_internal::TakeNavAnswer(&answer)) {
        if (answer.whileShown) answer.whileShown();
        if (!answer.chosen) return std::nullopt;
        const SInt16 format = answer.format < 0 ? options.popupSelection : answer.format;
        const bool split = answer.split < 0 ? options.splitChecked : answer.split != 0;
        return NavResult{answer.path, format, split && SplitsFormat(options, format), answer.morePaths};
    }
    if (ui_internal::IsUnattended()) return std::nullopt;
    switch (kind) {
    case NavDialogKind::ChooseFile: {
        if (options.allowMultipleFiles) {
            // The desktop's own dialog (its portal where it offers one).
            const QStringList paths =
                QFileDialog::getOpenFileNames(nullptr, QtText(PStringToStd(options.message)), folder);
            if (paths.isEmpty()) return std::nullopt;
            NavResult result{paths.front().toStdString(), 0, false, {}};
            for (qsizetype i = 1; i < paths.size(); ++i) result.morePaths.push_back(paths[i].toStdString());
            return result;
        }
        const QString path = QFileDialog::getOpenFileName(nullptr, QtText(PStringToStd(options.message)), folder, {},
                                                          nullptr, QFileDialog::DontUseNativeDialog);
        if (path.isEmpty()) return std::nullopt;
        return NavResult{path.toStdString(), 0};
    }
    case NavDialogKind::PutFile: return RunQtSaveDialog(options);
    }
    return std::nullopt;
}

}  // namespace

OSErr NavChooseFile(const NavDialogOptions* options, NavReplyRecord* reply) {
    if (!reply) return paramErr;
    *reply = NavReplyRecord{};
    const NavDialogOptions defaults;
    const NavDialogOptions& o = options ? *options : defaults;
    const std::optional<NavResult> result = RunNavDialog(NavDialogKind::ChooseFile, o);
    if (!result) return userCanceledErr;
    if (o.applicationsOnly && !QFileInfo(QString::fromStdString(result->path)).isExecutable()) return paramErr;
    if (const OSErr err = FSSpecFromPath(result->path, &reply->selection); err != noErr) return err;
    reply->selectionList.push_back(reply->selection);
    for (const std::string& path : result->morePaths) {
        if (!o.allowMultipleFiles) break;
        FSSpec more;
        if (const OSErr err = FSSpecFromPath(path, &more); err != noErr) return err;
        reply->selectionList.push_back(more);
    }
    reply->validRecord = true;
    return noErr;
}

OSErr NavPutFile(const NavDialogOptions* options, NavReplyRecord* reply) {
    if (!reply) return paramErr;
    *reply = NavReplyRecord{};
    const NavDialogOptions defaults;
    const NavDialogOptions& o = options ? *options : defaults;
    const std::optional<NavResult> result = RunNavDialog(NavDialogKind::PutFile, o);
    if (!result) return userCanceledErr;
    const bool hasPopup = !o.popupExtension.empty();
    if (result->format < 0 || (hasPopup && size_t(result->format) >= o.popupExtension.size()) ||
        (!hasPopup && result->format != 0)) {
        return paramErr;
    }
    if (const OSErr err = FSSpecFromPath(result->path, &reply->selection); err != noErr) return err;
    reply->format = result->format;
    reply->split = result->split;
    reply->validRecord = true;
    return noErr;
}

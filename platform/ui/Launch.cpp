#include "platform/ui/Launch.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>

OSErr LaunchApplicationWithDocument(const FSSpec* application, const FSSpec& document) {
    const QString program = application && application->name[0]
                                ? QString::fromStdString(FSSpecToPath(application))
                                : QStringLiteral("xdg-open");
    const QStringList arguments{QString::fromStdString(FSSpecToPath(&document))};
    return QProcess::startDetached(program, arguments) ? OSErr(noErr) : OSErr(fnfErr);
}

Boolean CanOpenInDefaultApplication() { return !QStandardPaths::findExecutable("xdg-open").isEmpty(); }

#include "platform/ui/Internet.h"

#include <QDesktopServices>
#include <QUrl>

OSErr LaunchURL(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.isRelative()) return paramErr;
    return QDesktopServices::openUrl(address) ? OSErr(noErr) : OSErr(paramErr);
}

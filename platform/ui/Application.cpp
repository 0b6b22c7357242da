#include "platform/ui/Application.h"

#include <QApplication>
#include <QIcon>

#include <memory>

namespace {
std::unique_ptr<QApplication> gOwnedApplication;
QuitRequestProcPtr gQuitRequestProc = nullptr;
}  // namespace

void InitToolbox(int& argc, char** argv) {
    if (QCoreApplication::instance()) return;
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication::setApplicationName("Korvel");
    QApplication::setOrganizationName("Korvel");
    // Desktops match the windows with the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName("io.github.korvel.Korvel");
    gOwnedApplication = std::make_unique<QApplication>(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme("korvel"));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TearDownToolbox() { gOwnedApplication.reset(); }

void SetQuitRequestProc(QuitRequestProcPtr proc) { gQuitRequestProc = proc; }

void RequestQuit() {
    if (gQuitRequestProc) gQuitRequestProc();
}

#include "platform/ui/Application.h"

#include <QApplication>

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
    gOwnedApplication = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

void TearDownToolbox() { gOwnedApplication.reset(); }

void SetQuitRequestProc(QuitRequestProcPtr proc) { gQuitRequestProc = proc; }

void RequestQuit() {
    if (gQuitRequestProc) gQuitRequestProc();
}

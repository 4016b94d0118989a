// veloris-demo: the same window, its four ports wired through the real serial-port
// adapter to simulated boards on pseudo-terminals, so every button can be tried without
// a telescope.

#include <memory>
#include <string>

#include <QApplication>

#include "demo/demo_boards.h"
#include "serial/clock.h"
#include "serial/termios_port.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Ties the window to the menu entry, so the desktop shows the entry's icon for it.
    QGuiApplication::setDesktopFileName(QStringLiteral("veloris"));

    const veloris::DemoBoards boards;

    veloris::WindowServices services;
    services.comm1 = std::make_unique<veloris::TermiosPort>(
        [&boards](int commPort) { return boards.device(commPort); });
    services.dialogs = std::make_unique<veloris::QtDialogs>();
    services.clock = std::make_unique<veloris::SystemClock>();
    services.portTooltip = [&boards](int commPort) { return boards.describe(commPort); };
    services.captionSuffix = QStringLiteral(" (démo)");

    services.hintProbes = veloris::SystemHintProbes();
    // Lives longer than the window, whose port it may have to stop.
    veloris::StopOnSignal stop;
    services.stopSignal = &stop;

    veloris::FRMprogram window(std::move(services));
    window.show();
    return QApplication::exec();
}

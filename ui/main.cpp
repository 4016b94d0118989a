// The program: one window on the real serial ports.

#include <memory>

#include <QApplication>

#include "portinfo/port_listing.h"
#include "serial/clock.h"
#include "serial/port_mapping.h"
#include "serial/termios_port.h"
#include "ui/main_window.h"
#include "ui/operation_texts.h"
#include "ui/qt_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Ties the window to the menu entry, so the desktop shows the entry's icon for it.
    QGuiApplication::setDesktopFileName(QStringLiteral("veloris"));

    // Ports are listed afresh each time: an adapter plugged in after start still counts.
    veloris::WindowServices services;
    services.comm1 = std::make_unique<veloris::TermiosPort>([](int commPort) {
        return veloris::DeviceForComm(commPort, veloris::OrderPorts(veloris::ListPresentPorts()));
    });
    services.dialogs = std::make_unique<veloris::QtDialogs>();
    services.clock = std::make_unique<veloris::SystemClock>();
    services.portTooltip = [](int commPort) {
        return veloris::DescribeComm(commPort, veloris::OrderPorts(veloris::ListPresentPorts()));
    };

    services.hintProbes = veloris::SystemHintProbes();
    // Lives longer than the window, whose port it may have to stop.
    veloris::StopOnSignal stop;
    services.stopSignal = &stop;

    veloris::FRMprogram window(std::move(services));
    window.show();
    return QApplication::exec();
}

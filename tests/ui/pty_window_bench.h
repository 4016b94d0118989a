#pragma once
// FRMprogram on the real termios port, its COM ports leading to a simulated board on a
// pseudo-terminal; clicked and typed into as a user would.

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include <chrono>
#include <memory>
#include <string>

#include "serial/termios_port.h"
#include "sim/pty_board.h"
#include "ui/main_window.h"
#include "window_test_doubles.h"

namespace veloris::testing {

inline const char* const kDataBoxes[] = {"Tdata1", "Tdata2", "Tdata3", "TdataTempo"};
inline const char* const kValueBoxes[] = {"TValeur1", "TValeur2", "Tvaleur3", "TvaleurTempo"};

struct PtyWindowBench {
    // `clock` stands in for the system clock when given; `stop` is the window's signal stop.
    explicit PtyWindowBench(BoardSetup setup = {}, std::unique_ptr<Clock> clock = nullptr,
                            StopOnSignal* stop = nullptr)
        : board(std::make_unique<PtyBoard>(std::move(setup))),
          device(std::make_shared<std::string>(board->slavePath())) {
        WindowServices services;
        // The device is read at each opening, so reconnect() can move it.
        services.comm1 = std::make_unique<TermiosPort>([device = device](int) { return *device; });
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        dialogs->answer = [] { return std::string("C:\\.S19"); };
        services.dialogs = std::move(scripted);
        services.clock = clock ? std::move(clock) : std::make_unique<SystemClock>();
        services.stopSignal = stop;
        window = std::make_unique<FRMprogram>(std::move(services));
        window->show();
    }

    // The cable plugged back in: a board that answers, at a new device path, as an adapter
    // plugged back in may come up under another name.
    void reconnect(BoardSetup setup = {}) {
        board = std::make_unique<PtyBoard>(std::move(setup));
        *device = board->slavePath();
    }

    // Clicks and gives how long the window was held.
    std::chrono::milliseconds click(const char* name) {
        auto* button = window->findChild<QAbstractButton*>(name);
        if (button == nullptr) {
            qFatal("no button %s", name);
        }
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(button, Qt::LeftButton);
        return std::chrono::milliseconds(timer.elapsed());
    }
    QString text(const char* box) { return QString::fromStdString(window->boxes().text(box)); }
    void type(const char* box, const QString& text) {
        auto* edit = window->findChild<QLineEdit*>(box);
        QVERIFY(edit != nullptr);
        edit->setText(text);
    }
    QString log() { return QString::fromStdString(window->exchangeLog().text()); }
    QString lastMessage() {
        return dialogs->messages.empty() ? QString()
                                         : QString::fromStdString(dialogs->messages.back());
    }
    // Between operations the port is free for another program.
    bool portIsFree() {
        TermiosPort other([device = device](int) { return *device; });
        const bool free = !other.open().has_value();
        other.close();
        return free;
    }

    std::unique_ptr<PtyBoard> board;
    std::shared_ptr<std::string> device;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<FRMprogram> window;
};

} // namespace veloris::testing

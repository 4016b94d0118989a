#pragma once
// FRMprogram: the program's only window. Its controls hold all the data there is; its
// buttons run the operations on the window's thread, one at a time.

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include <QString>
#include <QWidget>

#include "operations/operations.h"
#include "operations/stop_on_signal.h"
#include "serial/clock.h"
#include "serial/serial_port.h"
#include "serial/wait_observer.h"
#include "ui/control_builder.h"
#include "ui/dialogs.h"
#include "ui/open_failure_hints.h"
#include "ui/widget_boxes.h"
#include "ui/window_operations.h"

class QLineEdit;

namespace veloris {

// What the window needs from outside; tests hand in doubles.
struct WindowServices {
    std::unique_ptr<SerialPort> comm1;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<Clock> clock;
    // The text telling which device COMn stands for; asked again each time a COM button's
    // tooltip shows, so an adapter plugged in meanwhile is seen. May be empty.
    std::function<std::string(int commPort)> portTooltip;
    // Added to the caption, e.g. " (démo)".
    QString captionSuffix;
    // What the open-failure messages may ask of the system (who runs, what is installed).
    HintProbes hintProbes;
    // SIGTERM, SIGINT and SIGHUP: the window closes, an operation under way first finishing
    // the block it is in. May be null.
    StopOnSignal* stopSignal = nullptr;
};

class FRMprogram final : public QWidget, private WaitObserver {
    Q_OBJECT
  public:
    explicit FRMprogram(WindowServices services, QWidget* parent = nullptr);
    ~FRMprogram() override;

    // The text boxes by name, and the exchange log (Tcomm), as the operations write it.
    WidgetBoxes& boxes() { return boxes_; }
    ExchangeLog& exchangeLog() { return *log_; }
    SerialPort& comm1() { return *services_.comm1; }

    // True while a button's operation runs.
    bool operationRunning() const { return running_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Operation = void (*)(OperationLine&, WindowParts);

    void whileWaiting() override;

    void onLoad();
    void onPortChosen(int index);
    void onExit();
    void onStopSignal();
    void runOperation(Operation operation);
    void connectButton(std::string_view name, Operation operation);

    WindowServices services_;
    BuiltControls controls_;
    WidgetBoxes boxes_;
    std::unique_ptr<LineEditLog> log_;
    bool running_ = false;
    bool closePending_ = false;
    // Clicks that reached the window while an operation ran, to handle after it.
    std::deque<std::function<void()>> afterOperation_;
};

} // namespace veloris

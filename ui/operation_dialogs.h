#pragma once
// The cursor while an operation holds the window: the wait cursor, and the normal arrow
// over a box that asks the user something. Each is put back when it goes out of scope,
// whatever path the operation took. And the boxes of an operation, shown so that no click
// made during it is lost.

#include <string>

#include "operations/parameters.h"
#include "ui/dialogs.h"

namespace veloris {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The operation's modal boxes, each shown with the normal arrow. Before a box opens, the
// user input that the byte waits held back is handed to the window, which queues its clicks
// for after the operation: once the box blocks the window, Qt would throw them away.
// Once the program is asked to stop by a signal, no box opens: nobody may be there to
// answer it, and the program must end. A question then reads as cancelled.
class OperationDialogs final : public Dialogs {
  public:
    OperationDialogs(Dialogs& dialogs, const StopRequest* stop) : dialogs_(dialogs), stop_(stop) {}
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;

  private:
    bool stopping() const { return stop_ != nullptr && stop_->requested(); }

    Dialogs& dialogs_;
    const StopRequest* stop_;
};

} // namespace veloris

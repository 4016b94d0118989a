#pragma once
// The cursor while an operation holds the window: the wait cursor, and the normal arrow
// over a box that asks the user something. Each is put back when it goes out of scope,
// whatever path the operation took. And the boxes of an operation, shown so that no click
// made during it is lost.

#include <string>

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
class OperationDialogs final : public Dialogs {
  public:
    explicit OperationDialogs(Dialogs& dialogs) : dialogs_(dialogs) {}
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;

  private:
    Dialogs& dialogs_;
};

} // namespace veloris

#pragma once
// The cursor while an operation holds the window: the wait cursor, and the normal arrow
// over a box that asks the user something. Each is put back when it goes out of scope,
// whatever path the operation took.

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

// The operation's modal boxes, each shown with the normal arrow.
class ArrowOverDialogs final : public Dialogs {
  public:
    explicit ArrowOverDialogs(Dialogs& dialogs) : dialogs_(dialogs) {}
    void message(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;

  private:
    Dialogs& dialogs_;
};

} // namespace veloris

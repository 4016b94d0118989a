#pragma once
// The operations' modal boxes as Qt dialogs, over whichever window is active.

#include "ui/dialogs.h"

namespace veloris {

class QtDialogs final : public Dialogs {
  public:
    // The text with one OK button and no icon, captioned with the application title.
    void message(const std::string& text) override;
    // Returns the text typed, or the empty text when the user cancels.
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
};

} // namespace veloris

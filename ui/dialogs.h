#pragma once
// The modal boxes the window shows: a message with one OK button, and a question
// with a text field. Both carry the application title as caption.

#include <string>
#include <string_view>

namespace veloris {

inline constexpr std::string_view kApplicationTitle = "VELORIS";

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows the text with an OK button and no icon; returns when the user clicks OK.
    virtual void message(const std::string& text) = 0;
    // Shows the prompt with a text field holding defaultText; returns what the user
    // typed, or an empty text on Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
};

} // namespace veloris

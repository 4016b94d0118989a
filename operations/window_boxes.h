#pragma once
// The text boxes of the window, by their names (Taddr1, Tdata1, TValeur1, EDTprg, ...).
// The operations read and replace their texts through this and nothing else.

#include <string>
#include <string_view>

namespace veloris {

class WindowBoxes {
  public:
    virtual ~WindowBoxes() = default;
    // Texts are UTF-8.
    virtual std::string text(std::string_view boxName) const = 0;
    virtual void setText(std::string_view boxName, std::string text) = 0;
};

} // namespace veloris

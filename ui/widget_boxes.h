#pragma once
// The window's text boxes by name, as UTF-8 texts, and the exchange log over the box Tcomm
// as the operations write it.

#include <map>
#include <string>
#include <string_view>

#include "serial/exchange_log.h"

class QLineEdit;
class QWidget;

namespace veloris {

class ProgramLogBox;

class WidgetBoxes {
  public:
    // Single-line boxes are QLineEdit, EDTprg is a ProgramLogBox; other widgets are refused.
    void add(std::string_view name, QWidget* box);

    // An unknown name reads as the empty text and takes no text (with a warning), as a
    // missing box cannot show anything.
    std::string text(std::string_view boxName) const;
    void setText(std::string_view boxName, std::string text);

  private:
    struct Box {
        QLineEdit* line = nullptr;
        ProgramLogBox* log = nullptr;
    };
    const Box* find(std::string_view name) const;

    std::map<std::string, Box, std::less<>> boxes_;
};

// The exchange log over the box Tcomm.
class LineEditLog final : public ExchangeLog {
  public:
    explicit LineEditLog(QLineEdit& box) : box_(box) {}
    std::string text() const override;
    void setText(std::string text) override;

  private:
    QLineEdit& box_;
};

} // namespace veloris

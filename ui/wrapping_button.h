#pragma once
// A push button whose caption wraps at word boundaries, as the designer's command buttons
// do: "Charger programme dans EEPROM" takes two lines in a button 129 pixels wide.

#include <QPushButton>

namespace veloris {

class WrappingButton final : public QPushButton {
    Q_OBJECT
  public:
    explicit WrappingButton(const QString& caption, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace veloris

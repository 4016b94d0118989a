#pragma once
// EDTprg: a read-only, multi-line box with a vertical scroll bar that the user can focus,
// scroll, select and copy from.
//
// Qt's text document turns a carriage return and line feed into one paragraph break, so
// the text it gives back has lost the CR. The box therefore keeps the exact text it was
// last given and returns that: the user cannot edit it, so what is shown and what is kept
// never part.

#include <string>

#include <QPlainTextEdit>

namespace veloris {

class ProgramLogBox final : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ProgramLogBox(QWidget* parent = nullptr);

    // UTF-8, kept byte for byte (CR LF included).
    void setStoredText(std::string text);
    const std::string& storedText() const { return stored_; }

  private:
    std::string stored_;
};

} // namespace veloris

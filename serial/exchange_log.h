#pragma once
// The exchange log: the one-line text of the box Tcomm, to which every byte sent or
// received, and every failure, is appended.

#include <string>
#include <string_view>

namespace veloris {

class ExchangeLog {
  public:
    virtual ~ExchangeLog() = default;
    virtual std::string text() const = 0;
    virtual void setText(std::string text) = 0;
    virtual void append(std::string_view entry) { setText(text() + std::string(entry)); }
};

// A log held in a string, for code that runs without a window.
class StringLog final : public ExchangeLog {
  public:
    std::string text() const override { return text_; }
    void setText(std::string text) override { text_ = std::move(text); }
    void append(std::string_view entry) override { text_ += entry; }

  private:
    std::string text_;
};

} // namespace veloris

#pragma once
// The exchange log for -v: every entry goes to stderr as it is made, one line per block
// (the log is emptied at the start of each block), e.g. ">06<06>04>F8>94<CC>CC...".

#include <cstdio>
#include <string>

#include "serial/exchange_log.h"

namespace veloris::cli {

class VerboseLog final : public ExchangeLog {
  public:
    // `device` is named after the open line, which gives only the COM number.
    VerboseLog(bool echo, std::string device) : echo_(echo), device_(std::move(device)) {}
    ~VerboseLog() override { endLine(); }
    VerboseLog(const VerboseLog&) = delete;
    VerboseLog& operator=(const VerboseLog&) = delete;

    std::string text() const override { return text_; }
    void setText(std::string text) override;
    void append(std::string_view entry) override;

  private:
    void put(std::string_view text);
    void endLine();

    bool echo_;
    std::string device_;
    bool lineOpen_ = false;
    std::string text_;
};

} // namespace veloris::cli

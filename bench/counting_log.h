#pragma once
// The exchange log Tcomm held in a string, counting the time-outs it is told of. The log
// itself is emptied at every block, so the count is the only trace of the earlier ones.

#include <string>
#include <string_view>

#include "serial/byte_exchange.h"
#include "serial/exchange_log.h"

namespace veloris::bench {

class CountingLog final : public ExchangeLog {
  public:
    std::string text() const override { return text_; }
    void setText(std::string text) override { text_ = std::move(text); }
    void append(std::string_view entry) override {
        if (entry == kNoReplyEntry) {
            ++noReplies_;
        }
        text_ += entry;
    }

    int noReplies() const { return noReplies_; }
    void resetCount() { noReplies_ = 0; }

  private:
    std::string text_;
    int noReplies_ = 0;
};

} // namespace veloris::bench

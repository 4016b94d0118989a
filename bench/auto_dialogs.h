#pragma once
// Dialogs answered at once, as a user who clicks OK and gives a file path without delay.
// Every message is kept so that a run can tell a complaint from the usual warnings.

#include <string>
#include <utility>
#include <vector>

#include "operations/dialogs.h"

namespace veloris::bench {

class AutoDialogs final : public Dialogs {
  public:
    explicit AutoDialogs(std::string path) : path_(std::move(path)) {}

    void message(const std::string& text) override { messages_.push_back(text); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        ++questions_;
        return path_;
    }

    const std::vector<std::string>& messages() const { return messages_; }
    int questions() const { return questions_; }
    void clear() {
        messages_.clear();
        questions_ = 0;
    }

  private:
    std::string path_;
    std::vector<std::string> messages_;
    int questions_ = 0;
};

} // namespace veloris::bench

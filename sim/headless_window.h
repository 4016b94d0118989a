#pragma once
// The window as the operations see it, without a window: for the tests, the fuzz targets
// and the benchmark, which run the real operations with no screen.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "operations/dialogs.h"
#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"

namespace veloris {

// The text boxes held in a map, starting as a freshly opened window shows them: the
// address boxes hold their addresses, every other box is empty.
class HeadlessBoxes final : public WindowBoxes {
  public:
    HeadlessBoxes() { reset(); }

    void reset() {
        texts_.clear();
        for (const ParameterSlot& slot : kParameterSlots) {
            texts_[std::string(slot.addressBox)] = std::string(slot.initialAddress);
        }
    }
    std::string text(std::string_view boxName) const override {
        const auto found = texts_.find(boxName);
        return found == texts_.end() ? std::string() : found->second;
    }
    void setText(std::string_view boxName, std::string text) override {
        texts_.insert_or_assign(std::string(boxName), std::move(text));
    }

  private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// Dialogs answered at once, as a user who clicks OK and gives the file path without delay.
// Every message is kept, so a run can tell a complaint from the usual warning.
class AnsweringDialogs final : public Dialogs {
  public:
    explicit AnsweringDialogs(std::string path = "C:\\.S19") : path(std::move(path)) {}

    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        ++questions;
        return path;
    }

    // How many messages contain `part`.
    int count(std::string_view part) const {
        int found = 0;
        for (const std::string& message : messages) {
            found += message.find(part) != std::string::npos ? 1 : 0;
        }
        return found;
    }
    void clear() {
        messages.clear();
        questions = 0;
    }

    std::string path;
    std::vector<std::string> messages;
    int questions = 0;
};

} // namespace veloris

#pragma once
// The window as the operations see it, without a window: text boxes held in a map, and
// dialogs that note every message and answer every question with a fixed text.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "operations/dialogs.h"
#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"

namespace veloris::fuzz {

class MapBoxes final : public WindowBoxes {
  public:
    // The boxes as the window opens: the address boxes hold their addresses.
    MapBoxes() {
        for (const ParameterSlot& slot : kParameterSlots) {
            texts_[std::string(slot.addressBox)] = std::string(slot.initialAddress);
        }
    }
    std::string text(std::string_view boxName) const override {
        const auto found = texts_.find(std::string(boxName));
        return found == texts_.end() ? std::string() : found->second;
    }
    void setText(std::string_view boxName, std::string text) override {
        texts_[std::string(boxName)] = std::move(text);
    }

  private:
    std::map<std::string, std::string> texts_;
};

class NotedDialogs final : public Dialogs {
  public:
    void message(const std::string& text) override { messages.push_back(text); }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return answer;
    }

    std::vector<std::string> messages;
    std::string answer = "C:\\.S19";
};

} // namespace veloris::fuzz

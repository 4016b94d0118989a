#pragma once
// The window as the operations see it, without Qt: text boxes held in a map, and dialogs
// that note every message and answer the file question with a fixed path.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "operations/dialogs.h"
#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"

namespace veloris::testing {

class MapBoxes final : public WindowBoxes {
  public:
    // As the window opens: the address boxes hold their addresses, the others are empty.
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
        return "C:\\.S19";
    }

    // How many messages contain `part`.
    int count(std::string_view part) const {
        int found = 0;
        for (const std::string& message : messages) {
            found += message.find(part) != std::string::npos ? 1 : 0;
        }
        return found;
    }

    std::vector<std::string> messages;
};

// The texts a read leaves in the boxes of a slot whose record is CC hh ll DD.
inline void ShowReadRecord(WindowBoxes& boxes, const ParameterSlot& slot, int value) {
    const auto pair = [](int byte) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        return std::string{' ', kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF]};
    };
    boxes.setText(slot.dataBox, pair(0xCC) + pair(value >> 8) + pair(value & 0xFF) + pair(0xDD));
    boxes.setText(slot.valueBox, std::to_string(value));
}

} // namespace veloris::testing

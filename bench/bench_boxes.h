#pragma once
// The window's text boxes without a window: a map from box name to text, starting with the
// address boxes as the window shows them when it opens.

#include <map>
#include <string>
#include <string_view>

#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"

namespace veloris::bench {

class BenchBoxes final : public WindowBoxes {
  public:
    BenchBoxes() { reset(); }

    // Back to the texts of a freshly opened window.
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

} // namespace veloris::bench

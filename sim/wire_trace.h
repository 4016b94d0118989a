#pragma once
// What went over the line between the host and the simulated board: every byte, which way
// it went and when it was complete at the receiving end, by the steady clock.

#include <chrono>
#include <cstdint>
#include <vector>

#include "serial/serial_port.h"

namespace veloris {

enum class WireDirection {
    HostToBoard,
    BoardToHost,
};

struct WireEvent {
    std::uint8_t byte = 0;
    WireDirection direction = WireDirection::HostToBoard;
    std::chrono::steady_clock::time_point at;

    bool operator==(const WireEvent&) const = default;
};

class WireTrace {
  public:
    void record(std::uint8_t byte, WireDirection direction,
                std::chrono::steady_clock::time_point at) {
        events_.push_back({byte, direction, at});
    }
    void clear() { events_.clear(); }

    const std::vector<WireEvent>& events() const { return events_; }

    // The bytes that went one way, in order.
    Bytes bytes(WireDirection direction) const {
        Bytes out;
        for (const auto& event : events_) {
            if (event.direction == direction) {
                out.push_back(event.byte);
            }
        }
        return out;
    }
    Bytes receivedByBoard() const { return bytes(WireDirection::HostToBoard); }
    Bytes sentByBoard() const { return bytes(WireDirection::BoardToHost); }

  private:
    std::vector<WireEvent> events_;
};

} // namespace veloris

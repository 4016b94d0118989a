#pragma once
// Told of each byte as it goes on the line or comes off it, for a front end that shows the
// exchange as it happens.

#include <cstdint>

namespace veloris {

class ByteObserver {
  public:
    virtual ~ByteObserver() = default;
    virtual void byteSent(std::uint8_t /*byte*/) {}
    virtual void byteReceived(std::uint8_t /*byte*/) {}
};

} // namespace veloris

#pragma once
// The port as one operation holds it: opened with the fixed settings at the start, closed
// at the end on every path, and what became of the line on the way.

#include <cstddef>
#include <optional>

#include "operations/parameters.h"
#include "serial/byte_exchange.h"

namespace veloris {

class PortSession {
  public:
    // Opens the port with OpenComm. When that fails, opened() is false: the operation must
    // stop without exchanging any byte.
    explicit PortSession(OperationLine& line);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool opened() const { return exchange_.has_value(); }
    ByteExchange& exchange() { return *exchange_; }
    // True once the device hung up during the operation.
    bool lost();
    // Asked before each block; once it says yes the operation starts no further block.
    bool stopAsked();
    // The slot whose exchange is under way, so that a loss can say where it was seen.
    void beginSlot(std::size_t slot) { slot_ = slot; }

    // Closes the port; a hang-up that only the closing sees is logged too.
    void close();
    // How the port went; complete once closed.
    SessionOutcome outcome() const;

  private:
    OperationLine& line_;
    std::optional<OpenFailure> failure_;
    std::optional<ByteExchange> exchange_;
    std::optional<std::size_t> slot_;
    std::optional<std::size_t> lostInSlot_;
    bool lost_ = false;
    bool interrupted_ = false;
    bool closed_ = false;
};

} // namespace veloris

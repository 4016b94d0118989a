#pragma once
// The port as one operation holds it: opened with the fixed settings at the start,
// closed at the end on every path, a failed opening told to the user.

#include <optional>

#include "operations/operations.h"
#include "serial/byte_exchange.h"

namespace veloris {

class PortSession {
  public:
    // Opens the port with OpenComm. When that fails the user is told why, and opened()
    // is false: the operation must stop without exchanging any byte.
    explicit PortSession(OperationContext& context);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool opened() const { return exchange_.has_value(); }
    ByteExchange& exchange() { return *exchange_; }
    // True once the device hung up during the operation.
    bool lost() const { return exchange_ && exchange_->portLost(); }

    // Closes the port; when the device hung up, tells the user so.
    void close();

  private:
    OperationContext& context_;
    std::optional<ByteExchange> exchange_;
    bool closed_ = false;
};

} // namespace veloris

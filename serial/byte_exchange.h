#pragma once
// Single bytes to and from the board, each traced in the exchange log, each wait bounded
// by a deadline of about two seconds.

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

#include "serial/byte_observer.h"
#include "serial/clock.h"
#include "serial/exchange_log.h"
#include "serial/serial_port.h"
#include "serial/wait_observer.h"

namespace veloris {

// A byte 0 to 255, or kTimeoutMarker when no byte came in time.
using ByteValue = std::int16_t;
inline constexpr ByteValue kTimeoutMarker = -1;

// Log entries written by the byte exchange.
inline constexpr std::string_view kSentMark = ">";
inline constexpr std::string_view kReceivedMark = "<";
inline constexpr std::string_view kNoReplyEntry = "<No Reply";
inline constexpr std::string_view kSendErrorEntry = ">Error Send";
// Logged instead of a byte when a caller asks to send something that is no byte
// (the timeout marker handed on as a closing byte): nothing goes on the line.
inline constexpr std::string_view kNoByteEntry = ">No Byte";
// Logged once, when a wait finds that the device has hung up (cable or adapter pulled).
// From then on every send and receive fails at once without a further entry.
inline constexpr std::string_view kPortLostEntry = " Port lost";

// Two upper-case hex digits of the low eight bits: 10 -> "0A", -1 -> "FF", 256 -> "00".
std::string HexByte(std::int32_t value);

// The nearest whole number, a half going to the even neighbour: 2.5 -> 2, 3.5 -> 4.
double RoundHalfToEven(double x);

class ByteExchange {
  public:
    // How long a wait may last by the steady clock, whatever the time of day does.
    static constexpr std::chrono::milliseconds kSteadyBound{2600};
    // The longest single block on the port before the waiting observer is called.
    static constexpr std::chrono::milliseconds kObserverInterval{50};
    // How often a send queue that does not drain is looked at again.
    static constexpr std::chrono::milliseconds kDrainRecheck{1};

    ByteExchange(SerialPort& comm1, ExchangeLog& log, Clock& clock,
                 WaitObserver* observer = nullptr, ByteObserver* bytes = nullptr);

    // Waits for the send queue to empty, then queues the byte and logs ">hh";
    // logs ">Error Send" and queues nothing when the queue stays full past the deadline.
    void SendByte(int value);

    // Returns the next byte received and logs "<hh"; logs "<No Reply" and returns
    // kTimeoutMarker when none comes before the deadline. Bytes that arrived together
    // are kept and returned, in order, by the next calls.
    ByteValue ReceiveByte();

    // One read of the input: every byte received and not yet returned, kept bytes first.
    Bytes TakeInput();

    ExchangeLog& log() { return log_; }
    bool portLost() const { return comm1_.lost(); }
    // Logs " Port lost" unless it is logged already: a hang-up that comes after the last
    // wait of an operation is seen only when the port is closed, and must be logged too.
    void noteLoss();

  private:
    enum class WaitFor { Input, Drain };
    // Blocks on the port until the condition holds or the deadline passes; false on time-out.
    bool waitUntil(WaitFor what);
    // Moves whatever the port has received into the kept bytes; true when any is kept.
    bool takeArrivedInput();
    // Appends ">hh" or "<hh".
    void logByte(std::string_view mark, int value);

    SerialPort& comm1_;
    ExchangeLog& log_;
    Clock& clock_;
    WaitObserver* observer_;
    ByteObserver* bytes_;
    std::deque<std::uint8_t> kept_;
    bool lossLogged_ = false;
};

} // namespace veloris

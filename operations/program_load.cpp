// "Charger programme dans EEPROM": after a warning and a question for the file to load,
// a fixed exchange with the board's debug monitor. No file is opened.

#include <string>

#include "operations/operations.h"
#include "operations/port_session.h"
#include "protocol/hex_transfer.h"

namespace veloris {

namespace {

constexpr std::string_view kProgramLog = "EDTprg";
constexpr std::string_view kLineBreak = "\r\n";

constexpr int kStartDebug = 0x01; // the monitor answers 0x01
constexpr int kStopDebug = 0x04;  // the monitor answers 0x04
constexpr std::string_view kStopText = "03 00";
constexpr int kStopConfirmed = 0x03; // awaited after the stop transfer
constexpr int kRecordedBytes = 11;

// The board's input is shown one character per byte: bytes 0 to 255 as the characters
// with those codes, written in UTF-8 for the window.
std::string BytesAsText(const Bytes& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80) {
            text += static_cast<char>(byte);
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// Sends a byte and checks that the monitor answers the expected one; a wrong or missing
// answer is shown, and the exchange goes on all the same.
void ExpectAnswer(ByteExchange& exchange, Dialogs& dialogs, int expected,
                  const std::string& complaint) {
    if (exchange.ReceiveByte() != expected) {
        dialogs.message(complaint);
    }
}

void RunMonitorExchange(PortSession& session, OperationContext& context) {
    ByteExchange& exchange = session.exchange();
    WindowBoxes& boxes = context.boxes;

    exchange.SendByte(kStartDebug);
    ExpectAnswer(exchange, context.dialogs, kStartDebug, "erreur init com debug");
    if (session.lost()) {
        return;
    }
    exchange.SendByte(kStopDebug);
    ExpectAnswer(exchange, context.dialogs, kStopDebug, "erreur init stop debug");
    if (session.lost()) {
        return;
    }
    (void)SendHexBytes(exchange, std::string(kStopText), 2);
    ExpectAnswer(exchange, context.dialogs, kStopConfirmed, "erreur stop debug");
    if (session.lost()) {
        return;
    }

    const ByteValue firstKept = exchange.ReceiveByte();
    const ByteValue secondKept = exchange.ReceiveByte();
    for (int i = 0; i < kRecordedBytes; ++i) {
        const ByteValue value = exchange.ReceiveByte();
        boxes.setText(kProgramLog,
                      boxes.text(kProgramLog) + std::string(kLineBreak) + std::to_string(value));
    }
    if (session.lost()) {
        return;
    }
    // "06 06" and the two kept bytes, the second "06" and the first kept byte side by side.
    (void)SendHexBytes(exchange, "06 06" + HexByte(firstKept) + " " + HexByte(secondKept), 4);
    if (session.lost()) {
        return; // the board's answer and the question whether it stopped mean nothing now
    }

    boxes.setText(kProgramLog, BytesAsText(exchange.TakeInput()));
    context.dialogs.message("télescope arrêté?");
}

} // namespace

void ProgramLoad(OperationContext& context) {
    context.boxes.setText(kProgramLog, "");
    context.dialogs.message("Attention, cette action remplace le programme de votre contrôle "
                            "télescope");
    const std::string path =
        context.dialogs.inputBox("Chemin et nom du fichier à charger", "EEPROM", "C:\\.S19");
    if (path.empty()) {
        return;
    }
    PortSession session(context);
    if (!session.opened()) {
        return;
    }
    RunMonitorExchange(session, context);
    session.close();
}

} // namespace veloris

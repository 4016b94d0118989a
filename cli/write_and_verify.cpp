#include "cli/write_and_verify.h"

#include <QJsonArray>

#include "cli/slot_words.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

constexpr int kRowWidth = 20;
constexpr int kValueWidth = 8;

QString ReceivedText(ByteValue received) {
    return received == kTimeoutMarker
               ? Cli::tr("no reply")
               : QStringLiteral("%1").arg(received, 2, 16, QLatin1Char('0')).toUpper();
}

QString FailureText(const std::optional<FailedByte>& failure) {
    if (!failure) {
        return {};
    }
    if (failure->stage == FailedByte::Stage::CommandEcho) {
        return Cli::tr(" (command not echoed: %1)").arg(ReceivedText(failure->received));
    }
    return Cli::tr(" (byte %1 of the record echoed as %2)")
        .arg(failure->position)
        .arg(ReceivedText(failure->received));
}

QJsonValue FailureJson(const std::optional<FailedByte>& failure) {
    if (!failure) {
        return QJsonValue();
    }
    return QJsonObject{
        {QStringLiteral("stage"), failure->stage == FailedByte::Stage::CommandEcho
                                      ? QStringLiteral("command-echo")
                                      : QStringLiteral("record-echo")},
        {QStringLiteral("position"), failure->position},
        {QStringLiteral("received"),
         failure->received == kTimeoutMarker ? QJsonValue() : QJsonValue(failure->received)},
    };
}

QString StatusName(SlotWrite::Status status) {
    switch (status) {
    case SlotWrite::Status::Confirmed:
        return QStringLiteral("confirmed");
    case SlotWrite::Status::NotConfirmed:
        return QStringLiteral("not-confirmed");
    case SlotWrite::Status::NotReached:
        return QStringLiteral("not-reached");
    case SlotWrite::Status::Skipped:
        break;
    }
    return QStringLiteral("skipped");
}

// What the read-back found for one slot, when there was one.
struct ReadBack {
    bool done = false; // a read-back was made and reached this slot
    std::optional<std::uint16_t> value;
    RecordFault fault = RecordFault::None;
};

ReadBack ReadBackOf(const std::optional<ReadResult>& readBack, std::size_t slot) {
    if (!readBack || slot >= readBack->slots.size()) {
        return {};
    }
    const SlotRead& read = readBack->slots[slot];
    return {true, read.value, read.fault};
}

} // namespace

ExitCode WriteAndVerify(BoardLine& line, const WriteRequest& request, bool verify,
                        const Console& console, QJsonObject& report) {
    const WriteResult written = line.write(request);
    std::optional<ExitCode> problem = SessionProblem(written.session, line.port(), console, report);
    if (problem == ExitCode::PortNotOpened) {
        return *problem;
    }
    std::optional<ReadResult> readBack;
    if (verify && !problem && !line.stopRequested()) {
        // The read-back reads the written slots only: nothing else goes on the line.
        readBack = line.read(WrittenSlots(request));
        problem = SessionProblem(readBack->session, line.port(), console, report);
    }

    bool allGood = true;
    bool anyConfirmed = false;
    QJsonArray slots;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        if (!request.values[i]) {
            continue;
        }
        const std::uint16_t wanted = *request.values[i];
        SlotWrite slotWrite;
        slotWrite.key = kSlots[i].key;
        slotWrite.status = SlotWrite::Status::NotReached;
        if (i < written.slots.size()) {
            slotWrite = written.slots[i];
        }
        const bool confirmed = slotWrite.status == SlotWrite::Status::Confirmed;
        anyConfirmed = anyConfirmed || confirmed;
        const ReadBack back = ReadBackOf(readBack, i);
        const bool verified = back.done && back.value == wanted;

        QString status;
        switch (slotWrite.status) {
        case SlotWrite::Status::Confirmed:
            status = Cli::tr("confirmed");
            break;
        case SlotWrite::Status::NotConfirmed:
            status = Cli::tr("not confirmed") + FailureText(slotWrite.firstFailure);
            break;
        default:
            status = Cli::tr("not written");
            break;
        }
        if (back.done) {
            if (verified) {
                status += Cli::tr(", verified");
            } else if (back.value) {
                status += Cli::tr(", read back different: %1").arg(*back.value);
            } else {
                status += Cli::tr(", not read back (%1)").arg(FaultText(back.fault));
            }
        }
        allGood = allGood && confirmed && (!verify || verified);
        console.say(Column(RowName(kSlots[i].key), kRowWidth) +
                    Column(QString::number(wanted), kValueWidth) + status);

        QJsonObject json{
            {QStringLiteral("key"), KeyName(kSlots[i].key)},
            {QStringLiteral("address"), AddressText(kSlots[i].address)},
            {QStringLiteral("value"), wanted},
            {QStringLiteral("record"), RecordText(slotWrite.record)},
            {QStringLiteral("status"), StatusName(slotWrite.status)},
            {QStringLiteral("first_failure"), FailureJson(slotWrite.firstFailure)},
            {QStringLiteral("verified"), back.done ? QJsonValue(verified) : QJsonValue()},
            {QStringLiteral("read_back"), back.value ? QJsonValue(*back.value) : QJsonValue()},
        };
        slots.append(json);
    }
    report.insert(QStringLiteral("written"), slots);
    if (anyConfirmed) {
        console.say(Cli::tr("The board takes the new values only after it has been switched off "
                            "and on again."));
    }
    if (problem) {
        return *problem;
    }
    if (line.stopRequested()) {
        // Every block asked for was written before the signal was seen; the read-back was not.
        console.error(Cli::tr("Stopped on request before the values were read back."));
        return ExitCode::BoardFault;
    }
    if (!allGood) {
        console.error(verify ? Cli::tr("Not every value was confirmed and read back the same.")
                             : Cli::tr("Not every value was confirmed by the board."));
        return ExitCode::BoardFault;
    }
    return ExitCode::Done;
}

} // namespace veloris::cli

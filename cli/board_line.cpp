#include "cli/board_line.h"

#include "cli/port_words.h"
#include "cli/slot_words.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

std::vector<std::size_t> ChosenSlots(const SlotSelection& which) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        if (which[i]) {
            chosen.push_back(i);
        }
    }
    return chosen;
}

} // namespace

BoardLine::BoardLine(PortChoice port, const Options& options, const StopRequest* stop)
    : choice_(std::move(port)), port_([device = choice_.device](int) { return device; }),
      log_(options.verbose, choice_.device),
      progress_(StderrIsTerminal() && !options.quiet && !options.verbose), stop_(stop) {}

OperationLine BoardLine::line() {
    return OperationLine{port_, log_, clock_, &progress_, &progress_, stop_};
}

ReadResult BoardLine::read(const SlotSelection& which) {
    progress_.start(Cli::tr("Reading"), ChosenSlots(which));
    OperationLine operationLine = line();
    ReadResult result = ReadSlots(operationLine, which);
    progress_.clear();
    return result;
}

WriteResult BoardLine::write(const WriteRequest& request) {
    progress_.start(Cli::tr("Writing"), ChosenSlots(WrittenSlots(request)));
    OperationLine operationLine = line();
    WriteResult result = WriteSlots(operationLine, request);
    progress_.clear();
    return result;
}

std::optional<ExitCode> SessionProblem(const SessionOutcome& session, const PortChoice& port,
                                       const Console& console, QJsonObject& report) {
    switch (session.state) {
    case SessionOutcome::State::Completed:
        return std::nullopt;
    case SessionOutcome::State::NotOpened: {
        const OpenFailure failure = session.openFailure.value_or(OpenFailure{});
        console.error(OpenFailureText(port.shown, failure));
        QJsonObject error = OpenFailureJson(port.shown, failure);
        error.insert(QStringLiteral("kind"), QStringLiteral("not-opened"));
        report.insert(QStringLiteral("error"), error);
        return ExitCode::PortNotOpened;
    }
    case SessionOutcome::State::LineLost: {
        const QString text = LineLostText(port.shown);
        console.error(text);
        QJsonObject error{{QStringLiteral("kind"), QStringLiteral("line-lost")},
                          {QStringLiteral("message"), text}};
        if (session.lostInSlot && *session.lostInSlot < kSlotCount) {
            error.insert(QStringLiteral("slot"), KeyName(kSlots[*session.lostInSlot].key));
        }
        report.insert(QStringLiteral("error"), error);
        return ExitCode::LineLost;
    }
    case SessionOutcome::State::Interrupted:
        break;
    }
    const QString text =
        Cli::tr("Stopped on request (a signal) after the block under way; the rest was not done.");
    console.error(text);
    report.insert(QStringLiteral("error"),
                  QJsonObject{{QStringLiteral("kind"), QStringLiteral("interrupted")},
                              {QStringLiteral("message"), text}});
    return ExitCode::BoardFault;
}

} // namespace veloris::cli

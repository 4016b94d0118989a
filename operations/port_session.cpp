#include "operations/port_session.h"

#include "serial/port_setup.h"

namespace veloris {

PortSession::PortSession(OperationLine& line) : line_(line) {
    failure_ = OpenComm(line.port, line.log);
    if (!failure_) {
        exchange_.emplace(line.port, line.log, line.clock, line.waiting, line.progress);
    }
}

PortSession::~PortSession() {
    close();
}

bool PortSession::lost() {
    if (!lost_ && opened() && exchange_->portLost()) {
        lost_ = true;
        lostInSlot_ = slot_;
    }
    return lost_;
}

bool PortSession::stopAsked() {
    if (!interrupted_ && line_.stop != nullptr && line_.stop->requested()) {
        interrupted_ = true;
    }
    return interrupted_;
}

void PortSession::close() {
    if (!opened() || closed_) {
        return;
    }
    if (lost()) {
        exchange_->noteLoss();
    }
    line_.port.close();
    closed_ = true;
}

SessionOutcome PortSession::outcome() const {
    SessionOutcome outcome;
    if (failure_) {
        outcome.state = SessionOutcome::State::NotOpened;
        outcome.openFailure = failure_;
    } else if (lost_) {
        outcome.state = SessionOutcome::State::LineLost;
        outcome.lostInSlot = lostInSlot_;
    } else if (interrupted_) {
        outcome.state = SessionOutcome::State::Interrupted;
    }
    return outcome;
}

} // namespace veloris

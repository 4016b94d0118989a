#include "operations/port_session.h"

#include "serial/port_setup.h"

namespace veloris {

PortSession::PortSession(OperationContext& context) : context_(context) {
    if (const auto failure = OpenComm(context.comm1, context.log)) {
        context.dialogs.message(OpenFailureMessage(context.comm1.commPort(), *failure));
        return;
    }
    exchange_.emplace(context.comm1, context.log, context.clock, context.observer);
}

PortSession::~PortSession() {
    if (opened() && !closed_) {
        context_.comm1.close();
    }
}

void PortSession::close() {
    if (!opened() || closed_) {
        return;
    }
    const bool wasLost = lost();
    if (wasLost) {
        exchange_->noteLoss();
    }
    context_.comm1.close();
    closed_ = true;
    if (wasLost) {
        context_.dialogs.message("La liaison avec la carte par COM" +
                                 std::to_string(context_.comm1.commPort()) + " (" +
                                 context_.comm1.deviceName() +
                                 ") a été perdue pendant l'échange.\nVérifiez le câble, "
                                 "l'adaptateur et l'alimentation de la carte, puis recommencez.");
    }
}

} // namespace veloris

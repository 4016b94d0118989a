#include "cli/port_choice.h"

#include <QRegularExpression>

#include "portinfo/port_listing.h"
#include "serial/port_mapping.h"

namespace veloris::cli {

PortChoice ChoosePort(const QString& option) {
    static const QRegularExpression comName(QStringLiteral("^COM([1-4])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(option);
    if (!com.hasMatch()) {
        return {option, option.toStdString()};
    }
    const int n = com.captured(1).toInt();
    const std::string device = DeviceForComm(n, OrderPorts(ListPresentPorts()));
    return {QStringLiteral("COM%1 (%2)").arg(n).arg(QString::fromStdString(device)), device, n};
}

} // namespace veloris::cli

// veloris-cli write: the named slots, checked before the port is opened, written in slot
// order and read back.

#include <QJsonArray>

#include "cli/commands.h"
#include "cli/slot_words.h"
#include "cli/texts.h"
#include "cli/write_and_verify.h"

namespace veloris::cli {

int RunWrite(const Options& options, const Console& console, BoardLine& line) {
    QJsonObject report = ReportHead(QStringLiteral("write"), line.port());
    std::array<SlotTexts, kSlotCount> texts{};
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        texts[i] = {options.values[i].value_or(QString()).toStdString(),
                    options.values[i].has_value()};
    }
    const CheckedValues checked = CheckValueTexts(texts);
    if (const auto* refused = std::get_if<std::vector<RefusedValue>>(&checked)) {
        QJsonArray values;
        for (const RefusedValue& value : *refused) {
            const QString text = QString::fromStdString(value.text);
            console.error(Cli::tr("--%1 \"%2\" is refused: values are whole numbers from 0 to "
                                  "65535.")
                              .arg(KeyName(value.key), text));
            values.append(QJsonObject{{QStringLiteral("key"), KeyName(value.key)},
                                      {QStringLiteral("text"), text}});
        }
        console.error(Cli::tr("Nothing was opened or written."));
        report.insert(QStringLiteral("error"),
                      QJsonObject{{QStringLiteral("kind"), QStringLiteral("values-refused")},
                                  {QStringLiteral("values"), values}});
        return Finish(report, ExitCode::Refused, console);
    }
    const auto& request = std::get<WriteRequest>(checked);
    return Finish(report, WriteAndVerify(line, request, !options.noVerify, console, report),
                  console);
}

} // namespace veloris::cli

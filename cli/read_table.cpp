#include "cli/read_table.h"

#include "cli/slot_words.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

constexpr int kRowWidth = 20;
constexpr int kKeyWidth = 10;
constexpr int kAddressWidth = 9;
constexpr int kRecordWidth = 13;

} // namespace

void PrintReadTable(const ReadResult& result, const Console& console) {
    console.say(Column(Cli::tr("Parameter"), kRowWidth) + Column(Cli::tr("Key"), kKeyWidth) +
                Column(Cli::tr("Address"), kAddressWidth) +
                Column(Cli::tr("Record"), kRecordWidth) + Cli::tr("Value"));
    for (const SlotRead& slot : result.slots) {
        const QString value =
            slot.value ? QString::number(*slot.value) : u'(' + FaultText(slot.fault) + u')';
        console.say(Column(RowName(slot.key), kRowWidth) + Column(KeyName(slot.key), kKeyWidth) +
                    Column(AddressText(EntryOf(slot.key).address), kAddressWidth) +
                    Column(RecordText(slot.record), kRecordWidth) + value);
    }
}

QJsonArray ReadJson(const ReadResult& result) {
    QJsonArray slots;
    for (const SlotRead& slot : result.slots) {
        slots.append(SlotReadJson(slot));
    }
    return slots;
}

} // namespace veloris::cli

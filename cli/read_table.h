#pragma once
// The four slots as read, as a table for people and as a JSON array.

#include <QJsonArray>

#include "cli/console.h"
#include "operations/parameters.h"

namespace veloris::cli {

// Row name, key, address, record bytes and value of each slot; a slot that did not come
// whole says why instead of a value.
void PrintReadTable(const ReadResult& result, const Console& console);
QJsonArray ReadJson(const ReadResult& result);

} // namespace veloris::cli

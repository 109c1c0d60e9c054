#pragma once
// Values into their stored form.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/write/RowEncoder.h"

namespace accessdb {

// The stored bytes of a non-long value (Memo and OLE go through TableWriter).
void EncodeField(const ColumnDef& column, const Value& value, StoredField& out);

// The current local wall-clock time.
std::tm LocalTimeNow();
// Days since 1899-12-30 of the current local time (DateCreate, DateUpdate).
double NowAsDateTime();

}  // namespace accessdb

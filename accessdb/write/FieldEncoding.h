#pragma once
// Values into their stored form, and statement literals into values of a column's own kind.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/sql/SqlStatement.h"
#include "accessdb/write/RowEncoder.h"

namespace accessdb {

// The stored bytes of a non-long value (Memo and OLE go through TableWriter).
void EncodeField(const ColumnDef& column, const Value& value, StoredField& out);

// The value a literal gives in `column` of table `table`. Throws Error naming the table, column
// and value when the literal is not of the column's kind or does not fit it.
void LiteralToValue(const std::string& table, const ColumnDef& column, const sql::Literal& literal,
                    Value& out);

// Text as stored (see EncodeText), into `out`, reusing its storage.
void EncodeTextInto(const std::string& utf8, bool allowCompression, std::vector<std::uint8_t>& out);

// Days since 1899-12-30 of the current local time (DateCreate, DateUpdate).
double NowAsDateTime();

}  // namespace accessdb

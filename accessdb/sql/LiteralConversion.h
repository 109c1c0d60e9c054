#pragma once
// What a literal of an INSERT statement becomes in a column: the value of the column's own type
// that Access's engine would store. Text literals are read with the machine's regional
// settings, as Access reads them (convert/ColumnValue.h says how each type converts and
// rounds); number literals are SQL and always use '.'.
#include <string>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/convert/NumberDateLocale.h"
#include "accessdb/sql/SqlStatement.h"

namespace accessdb::sql {

using convert::NumberDateLocale;

// The value `literal` gives in `column` of table `table`. Throws Error naming the table, column
// and value when the literal cannot be converted (3464) or does not fit the column (3349).
void LiteralToValue(const std::string& table, const ColumnDef& column, const Literal& literal,
                    Value& out, const NumberDateLocale& locale = NumberDateLocale::Process());

}  // namespace accessdb::sql

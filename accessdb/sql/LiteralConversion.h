#pragma once
// What a literal of an INSERT statement becomes in a column: the value of the column's own type
// that Access's engine would store. Text literals are read with the regional settings of the
// machine (decimal separator, digit grouping, order of day, month and year, month names), as
// Access reads them; number literals are SQL and always use '.'.
//
// Roundings, as Access's engine applies them when a value has more digits than its column:
//  - Byte, Integer, Long and Large Number: to the nearest whole number, ties to the even one
//    ("2.5" gives 2, "3.5" gives 4), the rule of CInt/CLng.
//  - Currency: to four decimal places, ties to even, as CCur rounds.
//  - Decimal: cut to the column's scale without rounding ("104.7668" into a scale of 2 gives
//    104.76): Jet stores Decimal values truncated.
//  - Single and Double: the nearest value of the type.
#include <string>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/sql/SqlStatement.h"
#include "accessdb/sql/literals/NumberDateLocale.h"

namespace accessdb::sql {

// The value `literal` gives in `column` of table `table`. Throws Error naming the table, column
// and value when the literal cannot be converted (3464) or does not fit the column (3349).
void LiteralToValue(const std::string& table, const ColumnDef& column, const Literal& literal,
                    Value& out, const NumberDateLocale& locale = NumberDateLocale::Process());

// The same for a text the column gets from elsewhere (a default value): `text` read as a text
// literal would be.
void TextToValue(const std::string& table, const ColumnDef& column, const std::string& text,
                 Value& out, const NumberDateLocale& locale = NumberDateLocale::Process());

}  // namespace accessdb::sql

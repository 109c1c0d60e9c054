#pragma once
// A text or an exact number into the value of a column's own type, the way Access's engine
// converts a value that meets a column of another type.
//
// Roundings, as Access's engine applies them when a value has more digits than its column:
//  - Byte, Integer, Long and Large Number: to the nearest whole number, ties to the even one
//    ("2.5" gives 2, "3.5" gives 4), the rule of CInt/CLng.
//  - Currency: to four decimal places, ties to even, as CCur rounds.
//  - Decimal: cut to the column's scale without rounding ("104.7668" into a scale of 2 gives
//    104.76): Jet stores Decimal values truncated.
//  - Single and Double: the nearest value of the type.
// Texts are read with the regional settings (decimal separator, digit grouping, the order of
// day, month and year, month names).
#include <string>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/convert/NumberDateLocale.h"
#include "accessdb/convert/NumberText.h"

namespace accessdb::convert {

// Throws Error naming the table, column and value when the text cannot be converted (3464),
// does not fit the column (3349) or the column takes no text (3421).
void TextToValue(const std::string& table, const ColumnDef& column, const std::string& text,
                 Value& out, const NumberDateLocale& locale = NumberDateLocale::Process());

// `shown` is the number as the user wrote it, for messages.
void NumberToValue(const std::string& table, const ColumnDef& column, const ExactNumber& number,
                   const std::string& shown, Value& out);

// Access's "Data type mismatch" (3464) for `value` in the column.
[[noreturn]] void ThrowMismatch(const std::string& table, const ColumnDef& column,
                                const std::string& value);

}  // namespace accessdb::convert

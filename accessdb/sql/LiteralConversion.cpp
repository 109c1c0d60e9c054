// Jet SQL literals into values of a column's own type.
#include "accessdb/sql/LiteralConversion.h"

#include "accessdb/convert/ColumnValue.h"
#include "accessdb/convert/NumberText.h"

namespace accessdb::sql {

void LiteralToValue(const std::string& table, const ColumnDef& column, const sql::Literal& literal,
                    Value& out, const NumberDateLocale& locale) {
    out.type = column.type;
    out.null = literal.kind == sql::Literal::Kind::Null;
    out.boolean = false;
    if (out.null) {
        return;
    }
    if (literal.kind == sql::Literal::Kind::String) {
        convert::TextToValue(table, column, literal.text, out, locale);
        return;
    }
    // A number literal: SQL's own notation, whatever the locale.
    switch (column.type) {
        case ColumnType::Text:
        case ColumnType::Memo:
            out.text = literal.text;
            return;
        default:
            break;
    }
    convert::ExactNumber number;
    if (!convert::ParseNumber(literal.text, convert::NumberSeparators{".", ""}, number)) {
        convert::ThrowMismatch(table, column, literal.text);
    }
    if (column.type == ColumnType::DateTimeExtended || column.type == ColumnType::Guid) {
        convert::ThrowMismatch(table, column, literal.text);
    }
    convert::NumberToValue(table, column, number, literal.text, out);
}

}  // namespace accessdb::sql

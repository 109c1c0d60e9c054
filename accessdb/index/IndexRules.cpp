#include "accessdb/index/IndexRules.h"

#include "accessdb/Error.h"
#include "accessdb/index/RowKey.h"

namespace accessdb {

namespace {
constexpr long kDuplicateKey = 3022;
constexpr long kNullInKey = 3058;
}  // namespace

bool BacksPrimaryKey(const TableDef& table, const RealIndex& index) {
    for (const LogicalIndex& logical : table.logicalIndexes) {
        if (logical.IsPrimaryKey() && logical.realIndex == index.number) {
            return true;
        }
    }
    return false;
}

void RequireKeyValues(const TableDef& table, const RealIndex& index, bool primaryKey,
                      const std::vector<Value>& values) {
    if (!primaryKey && !index.Required()) {
        return;
    }
    for (const ColumnDef* column : table.IndexColumns(index)) {
        const Value& value = values[static_cast<std::size_t>(column - table.columns.data())];
        if (column->type != ColumnType::Boolean && value.null) {
            throw Error(ErrorKind::Constraint,
                        "Index or primary key cannot contain a Null value. (Table '" + table.name +
                            "', index '" + IndexDisplayName(table, index) + "', column '" +
                            column->name + "'.)",
                        kNullInKey);
        }
    }
}

void ThrowDuplicateKey(const TableDef& table, const RealIndex& index) {
    throw Error(ErrorKind::Constraint,
                "The changes you requested to the table were not successful because they would "
                "create duplicate values in the index, primary key, or relationship. Change the "
                "data in the field or fields that contain duplicate data, remove the index, or "
                "redefine the index to permit duplicate entries and try again. (Table '" +
                    table.name + "', index '" + IndexDisplayName(table, index) + "'.)",
                kDuplicateKey);
}

}  // namespace accessdb

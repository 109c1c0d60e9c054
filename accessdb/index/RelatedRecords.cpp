#include "accessdb/index/RelatedRecords.h"

#include "accessdb/Database.h"
#include "accessdb/index/IndexTree.h"
#include "accessdb/index/RowKey.h"

namespace accessdb {

namespace {

constexpr long kRelatedRecordRequired = 3201;
constexpr std::uint8_t kManySide = 2;

const RealIndex* RealIndexNumber(const TableDef& table, std::uint32_t number) {
    for (const RealIndex& index : table.realIndexes) {
        if (index.number == number) {
            return &index;
        }
    }
    return nullptr;
}

const LogicalIndex* LogicalIndexNumber(const TableDef& table, std::int32_t number) {
    for (const LogicalIndex& logical : table.logicalIndexes) {
        if (static_cast<std::int32_t>(logical.number) == number) {
            return &logical;
        }
    }
    return nullptr;
}

std::string TableNameOfPage(Database& database, std::uint32_t tdefPage) {
    for (const CatalogObject& object : database.GetCatalog().Objects()) {
        if (object.type == kObjectLocalTable && object.TableDefPage() == tdefPage) {
            return object.name;
        }
    }
    return {};
}

}  // namespace

std::optional<BrokenRelationship> FindMissingRelatedRecord(Database& database,
                                                           const TableDef& table,
                                                           const std::vector<Value>& values) {
    for (const LogicalIndex& foreign : table.logicalIndexes) {
        if (foreign.relatedIndex < 0 || foreign.relatedSide != kManySide) {
            continue;
        }
        const RealIndex* own = RealIndexNumber(table, foreign.realIndex);
        if (own == nullptr) {
            ThrowDamaged("the relationship index '" + foreign.name + "' of table '" + table.name +
                         "' names a missing index");
        }
        if (AllKeyColumnsNull(table, *own, values)) {
            continue;  // a row that names no related record
        }
        const std::string relatedName = TableNameOfPage(database, foreign.relatedTable);
        if (relatedName.empty()) {
            ThrowDamaged("the relationship index '" + foreign.name + "' of table '" + table.name +
                         "' names a table that does not exist");
        }
        const std::shared_ptr<const TableDef> related = database.Table(relatedName);
        const LogicalIndex* target = LogicalIndexNumber(*related, foreign.relatedIndex);
        const RealIndex* targetReal =
            target == nullptr ? nullptr : RealIndexNumber(*related, target->realIndex);
        if (targetReal == nullptr || targetReal->columns.size() != own->columns.size()) {
            ThrowDamaged("the relationship index '" + foreign.name + "' of table '" + table.name +
                         "' does not match an index of table '" + relatedName + "'");
        }
        // The related row as far as the key goes: the k-th column of our index is the k-th of
        // the related one.
        std::vector<Value> relatedValues;
        relatedValues.reserve(related->columns.size());
        for (const ColumnDef& column : related->columns) {
            relatedValues.push_back(Value::Null(column.type));
        }
        const std::vector<const ColumnDef*> ownColumns = table.IndexColumns(*own);
        const std::vector<const ColumnDef*> relatedColumns = related->IndexColumns(*targetReal);
        for (std::size_t k = 0; k < ownColumns.size() && k < relatedColumns.size(); ++k) {
            Value value = values[static_cast<std::size_t>(ownColumns[k] - table.columns.data())];
            value.type = relatedColumns[k]->type;
            relatedValues[static_cast<std::size_t>(relatedColumns[k] - related->columns.data())] =
                std::move(value);
        }
        RequireEncodableIndex(*related, *targetReal, database.format());
        const KeyBytes key = RowIndexKey(*related, *targetReal, relatedValues, database.format());
        IndexTree tree(
            database.Pages(), targetReal->rootPage, related->page,
            []() -> MutablePageRef { ThrowDamaged("an index lookup tried to add a page"); });
        if (!tree.ContainsKey(key)) {
            return BrokenRelationship{relatedName, foreign.name};
        }
    }
    return std::nullopt;
}

void RequireRelatedRecords(Database& database, const TableDef& table,
                           const std::vector<Value>& values) {
    if (const auto broken = FindMissingRelatedRecord(database, table, values)) {
        throw Error(ErrorKind::Constraint,
                    "You cannot add or change a record because a related record is required "
                    "in table '" +
                        broken->relatedTable + "'. (Table '" + table.name +
                        "', relationship index '" + broken->index + "'.)",
                    kRelatedRecordRequired);
    }
}

}  // namespace accessdb

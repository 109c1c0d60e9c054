#include "accessdb/create/SystemTableDef.h"

#include "accessdb/Error.h"
#include "accessdb/TableDef.h"

namespace accessdb::create {

namespace {

constexpr std::size_t kTdefPageHeader = 8;

TableDef DefinitionOf(const SystemTable& table, const Format& format, SortOrder sortOrder,
                      const TablePlacement& where) {
    TableDef def;
    def.name = table.name;
    def.page = where.tdefPage;
    def.tableType = table.tableType;
    def.maxColumns = table.maxColumns;
    def.varColumns = table.varColumns;
    def.ownedMap = where.ownedMap;
    def.freeMap = where.freeMap;
    std::size_t longValue = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const SystemColumn& fact = table.columns[i];
        ColumnDef column;
        column.name = fact.name;
        column.type = fact.type;
        column.number = fact.number;
        column.varIndex = fact.varIndex;
        column.fixedOffset = fact.fixedOffset;
        column.length = fact.length;
        column.flags = fact.flags;
        column.extFlags = fact.extFlags;
        column.sortOrder = sortOrder;
        column.precision = fact.precision;
        column.scale = fact.scale;
        column.blockIndex = i;
        column.rawBlock = NewColumnBlock(format, sortOrder);
        if (IsLongValueType(fact.type)) {
            column.longValueOwnedMap = where.longValueMaps.at(longValue).first;
            column.longValueFreeMap = where.longValueMaps.at(longValue).second;
            ++longValue;
        }
        def.columns.push_back(std::move(column));
    }
    for (std::size_t i = 0; i < table.realIndexes.size(); ++i) {
        RealIndex index;
        index.number = static_cast<std::uint32_t>(i);
        for (const SystemIndexColumn& column : table.realIndexes[i].columns) {
            index.columns.push_back(IndexColumn{column.number, (column.flags & 0x01) != 0});
        }
        index.ownedMap = where.indexMaps.at(i);
        index.rootPage = where.indexRoots.at(i);
        index.flags = table.realIndexes[i].flags;
        def.realIndexes.push_back(std::move(index));
    }
    for (const SystemLogicalIndex& fact : table.logicalIndexes) {
        LogicalIndex index;
        index.name = fact.name;
        index.number = fact.number;
        index.realIndex = fact.realIndex;
        index.type = fact.type;
        index.rawBlock = NewLogicalIndexBlock(format);
        def.logicalIndexes.push_back(std::move(index));
    }
    return def;
}

}  // namespace

std::size_t LongValueColumnCount(const SystemTable& table) {
    std::size_t n = 0;
    for (const SystemColumn& column : table.columns)
        n += IsLongValueType(column.type) ? 1 : 0;
    return n;
}

std::vector<std::uint8_t> BuildSystemTableDef(const SystemTable& table, const Format& format,
                                              SortOrder sortOrder, const TablePlacement& where) {
    const std::vector<std::uint8_t> definition =
        DefinitionOf(table, format, sortOrder, where).Serialize(format);
    if (definition.size() + kTdefPageHeader > format.pageSize) {
        throw Error(ErrorKind::NotSupported, std::string("The definition of system table ") +
                                                 table.name + " does not fit one page.");
    }
    std::vector<std::uint8_t> page(format.pageSize, 0);
    FillDefinitionPage(definition, 0, 0, page, format);  // no continuation page
    return page;
}

}  // namespace accessdb::create

#include "accessdb/write/IndexCreator.h"

#include "accessdb/DataPage.h"
#include "accessdb/Error.h"
#include "accessdb/TableCursor.h"
#include "accessdb/TableDef.h"
#include "accessdb/UsageMap.h"
#include "accessdb/index/IndexPage.h"
#include "accessdb/index/IndexRules.h"
#include "accessdb/index/IndexTree.h"
#include "accessdb/index/RowKey.h"
#include "accessdb/write/DataPageWriter.h"
#include "accessdb/write/NameRules.h"

namespace accessdb {

namespace {

constexpr long kInvalidIndexDefinition = 3283;  // "Primary key already exists."
constexpr long kNoSuchField = 3265;
constexpr std::size_t kMaxIndexColumns = 10;
constexpr std::size_t kMaxIndexesPerTable = 32;
constexpr std::uint8_t kIndexAlwaysSet = 0x80;  // every index Access 2000 and later writes (not 97)
constexpr std::uint8_t kPrimaryKeyType = 1;

[[noreturn]] void Refuse(const std::string& table, const IndexDefinition& index,
                         const std::string& why, long number) {
    throw Error(
        ErrorKind::Constraint,
        "Index '" + index.name + "' cannot be created on table '" + table + "': " + why + ".",
        number);
}

std::uint8_t RealFlags(const IndexDefinition& index, const Format& format) {
    std::uint8_t flags = format.jet3 ? 0 : kIndexAlwaysSet;
    if (index.primaryKey || index.unique) {
        flags |= kIndexUnique;
    }
    if (index.ignoreNulls) {
        flags |= kIndexIgnoreNulls;
    }
    if (index.primaryKey || index.required) {
        flags |= kIndexRequired;
    }
    return flags;
}

std::vector<IndexColumn> ResolveColumns(const TableDef& table, const IndexDefinition& index) {
    if (index.columns.empty() || index.columns.size() > kMaxIndexColumns) {
        Refuse(table.name, index,
               "an index has one to ten columns, not " + std::to_string(index.columns.size()),
               3277);
    }
    std::vector<IndexColumn> columns;
    for (const IndexedColumn& wanted : index.columns) {
        const ColumnDef* column = table.FindColumn(wanted.name);
        if (column == nullptr) {
            Refuse(table.name, index, "the table has no column '" + wanted.name + "'",
                   kNoSuchField);
        }
        if (column->type == ColumnType::Ole || column->type == ColumnType::Complex ||
            column->IsCalculated()) {
            Refuse(table.name, index,
                   "column '" + column->name + "' (" + ColumnTypeName(column->type) +
                       ") cannot be indexed",
                   3278);
        }
        for (const IndexColumn& earlier : columns) {
            if (earlier.columnNumber == column->number) {
                Refuse(table.name, index, "column '" + column->name + "' is named twice", 3279);
            }
        }
        columns.push_back(IndexColumn{column->number, wanted.ascending});
    }
    return columns;
}

bool SameColumns(const std::vector<IndexColumn>& a, const std::vector<IndexColumn>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].columnNumber != b[i].columnNumber || a[i].ascending != b[i].ascending) {
            return false;
        }
    }
    return true;
}

// A row for the index's owned-pages usage map, on the page that holds the table's own maps
// when it has room, else on a new page.
RowPointer PlaceMapRow(PageFile& pages, PageAllocator& allocator, const TableDef& table) {
    const Format& format = pages.format();
    const std::vector<std::uint8_t> row(format.usageMapRowSize, 0);
    const std::uint32_t mapPage = table.ownedMap.page;
    if (mapPage != 0 && RowFits(pages.Read(mapPage)->View(), format, row.size())) {
        MutablePageRef page = pages.Modify(mapPage);
        return RowPointer{mapPage, AppendRow(page->Mutable(), format, row)};
    }
    MutablePageRef page = allocator.NewPage();
    InitDataPage(page->Mutable(), format, 0);
    return RowPointer{page->number, AppendRow(page->Mutable(), format, row)};
}

}  // namespace

void AddIndexes(PageFile& pages, PageAllocator& allocator, const std::string& tableName,
                std::uint32_t tdefPage, const std::vector<IndexDefinition>& indexes) {
    if (indexes.empty()) {
        return;
    }
    const Format& format = pages.format();
    TableDef table = TableDef::Load(pages, tdefPage, tableName);
    std::vector<std::size_t> newReal;  // real indexes made here, by position
    std::vector<bool> realIsPrimary(table.realIndexes.size(), false);
    for (const LogicalIndex& logical : table.logicalIndexes) {
        if (logical.IsPrimaryKey() && logical.realIndex < realIsPrimary.size()) {
            realIsPrimary[logical.realIndex] = true;
        }
    }
    for (const IndexDefinition& index : indexes) {
        CheckObjectName(index.name, "index");
        for (const LogicalIndex& existing : table.logicalIndexes) {
            if (SameName(existing.name, index.name)) {
                Refuse(table.name, index, "the table already has an index of that name", 3284);
            }
            if (index.primaryKey && existing.IsPrimaryKey()) {
                Refuse(table.name, index, "the table already has a primary key",
                       kInvalidIndexDefinition);
            }
        }
        if (table.logicalIndexes.size() >= kMaxIndexesPerTable) {
            Refuse(table.name, index, "a table has at most 32 indexes", 3626);
        }
        const std::vector<IndexColumn> columns = ResolveColumns(table, index);
        const std::uint8_t flags = RealFlags(index, format);
        std::size_t real = table.realIndexes.size();
        for (std::size_t i = 0; i < table.realIndexes.size(); ++i) {
            if (SameColumns(table.realIndexes[i].columns, columns) &&
                table.realIndexes[i].flags == flags) {
                real = i;
            }
        }
        if (real == table.realIndexes.size()) {
            RealIndex fresh;
            fresh.number = static_cast<std::uint32_t>(real);
            fresh.columns = columns;
            fresh.flags = flags;
            fresh.ownedMap = PlaceMapRow(pages, allocator, table);
            MutablePageRef root = allocator.NewPage();
            fresh.rootPage = root->number;
            IndexPageContent empty;
            empty.owner = tdefPage;
            EncodeIndexPage(empty, root->Mutable(), format);
            UsageMap map = UsageMap::Load(pages, fresh.ownedMap);
            map.Update(pages, fresh.rootPage, true, [&] { return allocator.NewPage(); });
            table.realIndexes.push_back(std::move(fresh));
            realIsPrimary.push_back(false);
            newReal.push_back(real);
        }
        if (index.primaryKey) {
            realIsPrimary[real] = true;
        }
        LogicalIndex logical;
        logical.name = index.name;
        logical.number = static_cast<std::uint32_t>(table.logicalIndexes.size());
        logical.realIndex = static_cast<std::uint32_t>(real);
        logical.type = index.primaryKey ? kPrimaryKeyType : 0;
        logical.rawBlock = NewLogicalIndexBlock(format);
        table.logicalIndexes.push_back(std::move(logical));
    }
    for (const std::size_t i : newReal) {
        RequireEncodableIndex(table, table.realIndexes[i], format);
    }

    // Entries for the rows already there.
    if (!newReal.empty() && table.rowCount > 0) {
        auto snapshot = std::make_shared<TableDef>(table);
        TableCursor cursor(pages, snapshot);
        while (cursor.Next()) {
            const std::vector<Value>& values = cursor.Row();
            const RowPointer where = cursor.RowId();
            for (const std::size_t i : newReal) {
                RealIndex& index = table.realIndexes[i];
                const bool unique = index.Unique() || realIsPrimary[i];
                RequireKeyValues(table, index, realIsPrimary[i], values);
                const bool allNull = AllKeyColumnsNull(table, index, values);
                if (index.IgnoreNulls() && allNull) {
                    continue;
                }
                UsageMap map = UsageMap::Load(pages, index.ownedMap);
                IndexTree tree(pages, index.rootPage, tdefPage, [&] {
                    MutablePageRef fresh = allocator.NewPage();
                    map.Update(pages, fresh->number, true, [&] { return allocator.NewPage(); });
                    return fresh;
                });
                const IndexTree::InsertResult result = tree.Insert(
                    RowIndexKey(table, index, values, format), where, unique && !allNull);
                if (unique && !allNull && result.duplicateKey) {
                    ThrowDuplicateKey(table, index);
                }
                if (result.newKey) {
                    ++index.uniqueEntryCount;
                }
            }
        }
    }
    table.Store(pages);
}

}  // namespace accessdb

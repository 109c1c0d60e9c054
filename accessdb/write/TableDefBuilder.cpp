#include "accessdb/write/TableDefBuilder.h"

#include "accessdb/TableDef.h"
#include "accessdb/write/DataPageWriter.h"

namespace accessdb {

namespace {

constexpr std::uint8_t kUserTable = 0x4E;

// Column numbers in statement order; variable columns get their slots first for Text, then
// Memo (long values last in the row); fixed columns their offsets in order. Every column block
// carries the table's sort order, as Access writes it.
std::vector<ColumnDef> LayOut(const TableDefinition& table, const Format& format,
                              SortOrder sortOrder) {
    std::vector<ColumnDef> columns;
    std::uint16_t fixedOffset = 0;
    std::uint16_t varSlots = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDefinition& definition = table.columns[i];
        ColumnDef column;
        column.name = definition.name;
        column.type = definition.type;
        column.number = static_cast<std::uint16_t>(i);
        column.flags = kColumnUpdatable;
        column.sortOrder = sortOrder;
        column.blockIndex = i;
        column.rawBlock = NewColumnBlock(format, sortOrder);
        if (format.jet3) {
            StoreU16(column.rawBlock.data() + 5, column.number);  // "number again"
        } else {
            StoreU16(column.rawBlock.data() + 9, column.number);  // "number again", as Jackcess
        }
        if (column.type == ColumnType::Text && format.jet3) {
            column.length = static_cast<std::uint16_t>(definition.size);  // code-page bytes
        } else if (column.type == ColumnType::Memo && format.jet3) {
            // Jet 3 text is never compressed.
        } else if (column.type == ColumnType::Text) {
            column.length = static_cast<std::uint16_t>(2 * definition.size);
            column.extFlags = kColumnCompressedUnicode;
        } else if (column.type == ColumnType::Memo) {
            column.extFlags = kColumnCompressedUnicode;
        } else {
            column.flags |= kColumnFixed;
            column.length = static_cast<std::uint16_t>(
                column.type == ColumnType::Boolean ? 1 : FixedSizeOf(column.type));
            if (column.type != ColumnType::Boolean) {
                column.fixedOffset = fixedOffset;
                fixedOffset = static_cast<std::uint16_t>(fixedOffset + column.length);
            }
            if (definition.autoNumber && column.type == ColumnType::Long) {
                column.flags |= kColumnAutoLong;
            }
        }
        columns.push_back(column);
    }
    for (ColumnDef& column : columns) {
        if (column.type == ColumnType::Text) {
            column.varIndex = varSlots++;
        }
    }
    for (ColumnDef& column : columns) {
        if (column.type == ColumnType::Memo) {
            column.varIndex = varSlots++;
        }
    }
    // Fixed columns record how many variable columns precede them.
    std::uint16_t varBefore = 0;
    for (ColumnDef& column : columns) {
        if (column.IsFixed()) {
            column.varIndex = varBefore;
        } else {
            ++varBefore;
        }
    }
    return columns;
}

}  // namespace

std::uint32_t WriteNewTableDefinition(PageFile& pages, PageAllocator& allocator,
                                      const TableDefinition& table, SortOrder sortOrder) {
    const Format& format = pages.format();
    TableDef def;
    def.name = table.name;
    def.tableType = kUserTable;
    def.columns = LayOut(table, format, sortOrder);
    def.maxColumns = static_cast<std::uint16_t>(def.columns.size());
    for (const ColumnDef& column : def.columns) {
        def.varColumns = static_cast<std::uint16_t>(def.varColumns + (column.IsFixed() ? 0 : 1));
    }

    // The TDEF's first page comes first so that the table's id is the lowest of its pages.
    MutablePageRef first = allocator.NewPage();
    def.page = first->number;

    // Usage-map pages: the table's two maps, then two per Memo column (a pair never split).
    std::vector<MutablePageRef> mapPages;
    auto placeMapRow = [&]() -> RowPointer {
        if (mapPages.empty() ||
            !RowFits(mapPages.back()->View(), format, format.usageMapRowSize * 2)) {
            MutablePageRef page = allocator.NewPage();
            InitDataPage(page->Mutable(), format, 0);
            mapPages.push_back(page);
        }
        MutablePageRef page = mapPages.back();
        const std::vector<std::uint8_t> row(format.usageMapRowSize, 0);  // an empty inline map
        return RowPointer{page->number, AppendRow(page->Mutable(), format, row)};
    };
    def.ownedMap = placeMapRow();
    def.freeMap = placeMapRow();
    for (ColumnDef& column : def.columns) {
        if (column.type == ColumnType::Memo) {
            column.longValueOwnedMap = placeMapRow();
            column.longValueFreeMap = placeMapRow();
        }
    }

    const std::vector<std::uint8_t> definition = def.Serialize(format, pages.Header().codePage);
    std::vector<MutablePageRef> chain{first};
    while (chain.size() < DefinitionPageCount(definition.size(), format.pageSize)) {
        chain.push_back(allocator.NewPage());
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        FillDefinitionPage(definition, i, i + 1 < chain.size() ? chain[i + 1]->number : 0,
                           chain[i]->Mutable(), format);
    }
    return def.page;
}

}  // namespace accessdb

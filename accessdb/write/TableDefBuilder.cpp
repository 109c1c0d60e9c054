#include "accessdb/write/TableDefBuilder.h"

#include <algorithm>
#include <cstring>

#include "accessdb/ColumnType.h"
#include "accessdb/Text.h"
#include "accessdb/write/DataPageWriter.h"

namespace accessdb {

namespace {

constexpr std::uint32_t kUnknownConstant = 1625;  // written by Access and Jackcess alike
constexpr std::uint8_t kUserTable = 0x4E;
constexpr std::size_t kUsageMapRowSize = 69;

struct NewColumn {
    std::u16string name;
    ColumnType type = ColumnType::Text;
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;
    std::uint16_t fixedOffset = 0;
    std::uint16_t length = 0;
    std::uint8_t flags = kColumnUpdatable;
    std::uint8_t extFlags = 0;
    RowPointer longValueOwned;
    RowPointer longValueFree;
};

// Column numbers in statement order; variable columns get their slots first for Text, then
// Memo (long values last in the row); fixed columns their offsets in order.
std::vector<NewColumn> LayOut(const TableDefinition& table) {
    std::vector<NewColumn> columns;
    std::uint16_t fixedOffset = 0;
    std::uint16_t varSlots = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDefinition& definition = table.columns[i];
        NewColumn column;
        column.name = Utf8ToUtf16(definition.name);
        column.type = definition.type;
        column.number = static_cast<std::uint16_t>(i);
        if (column.type == ColumnType::Text) {
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
    for (NewColumn& column : columns) {
        if (column.type == ColumnType::Text) {
            column.varIndex = varSlots++;
        }
    }
    for (NewColumn& column : columns) {
        if (column.type == ColumnType::Memo) {
            column.varIndex = varSlots++;
        }
    }
    // Fixed columns record how many variable columns precede them.
    std::uint16_t varBefore = 0;
    for (NewColumn& column : columns) {
        if ((column.flags & kColumnFixed) != 0) {
            column.varIndex = varBefore;
        } else {
            ++varBefore;
        }
    }
    return columns;
}

void Append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Append16(out, static_cast<std::uint16_t>(v));
    Append16(out, static_cast<std::uint16_t>(v >> 16));
}
void AppendPointer(std::vector<std::uint8_t>& out, RowPointer where) {
    out.push_back(where.row);
    out.push_back(static_cast<std::uint8_t>(where.page));
    out.push_back(static_cast<std::uint8_t>(where.page >> 8));
    out.push_back(static_cast<std::uint8_t>(where.page >> 16));
}

// The logical definition buffer (first page's 8-byte header included, its fields zero).
std::vector<std::uint8_t> Serialise(const std::vector<NewColumn>& columns, SortOrder sortOrder,
                                    RowPointer owned, RowPointer freeSpace) {
    std::vector<std::uint8_t> out(8, 0);
    out[0] = kPageTableDef;
    out[1] = 0x01;
    Append32(out, 0);  // total length, filled in below
    Append32(out, kUnknownConstant);
    Append32(out, 0);  // rows
    Append32(out, 0);  // last autonumber
    out.push_back(0x01);
    out.insert(out.end(), 15, 0);
    out.push_back(kUserTable);
    std::uint16_t varColumns = 0;
    for (const NewColumn& column : columns) {
        varColumns = static_cast<std::uint16_t>(varColumns + ((column.flags & kColumnFixed) == 0));
    }
    Append16(out, static_cast<std::uint16_t>(columns.size()));
    Append16(out, varColumns);
    Append16(out, static_cast<std::uint16_t>(columns.size()));
    Append32(out, 0);  // logical indexes
    Append32(out, 0);  // real indexes
    AppendPointer(out, owned);
    AppendPointer(out, freeSpace);
    for (const NewColumn& column : columns) {
        out.push_back(static_cast<std::uint8_t>(column.type));
        Append32(out, kUnknownConstant);
        Append16(out, column.number);
        Append16(out, column.varIndex);
        Append16(out, column.number);
        Append16(out, sortOrder.lcid);
        out.push_back(0);
        out.push_back(sortOrder.version);
        out.push_back(column.flags);
        out.push_back(column.extFlags);
        Append32(out, 0);
        Append16(out, column.fixedOffset);
        Append16(out, column.length);
    }
    for (const NewColumn& column : columns) {
        Append16(out, static_cast<std::uint16_t>(column.name.size() * 2));
        for (const char16_t c : column.name) {
            Append16(out, static_cast<std::uint16_t>(c));
        }
    }
    for (const NewColumn& column : columns) {
        if (column.type == ColumnType::Memo) {
            Append16(out, column.number);
            AppendPointer(out, column.longValueOwned);
            AppendPointer(out, column.longValueFree);
        }
    }
    Append16(out, 0xFFFF);
    StoreU32(out.data() + 8, static_cast<std::uint32_t>(out.size()));
    return out;
}

std::vector<std::uint8_t> EmptyInlineMapRow() {
    return std::vector<std::uint8_t>(kUsageMapRowSize, 0);
}

}  // namespace

std::uint32_t WriteNewTableDefinition(PageFile& pages, PageAllocator& allocator,
                                      const TableDefinition& table, SortOrder sortOrder) {
    const Format& format = pages.format();
    std::vector<NewColumn> columns = LayOut(table);

    // The TDEF's first page comes first so that the table's id is the lowest of its pages.
    MutablePageRef first = allocator.NewPage();
    const std::uint32_t tdefPage = first->number;

    // Usage-map pages: the table's two maps, then two per Memo column (a pair never split).
    std::vector<MutablePageRef> mapPages;
    auto placeMapRow = [&]() -> RowPointer {
        if (mapPages.empty() || !RowFits(mapPages.back()->View(), format, kUsageMapRowSize * 2)) {
            MutablePageRef page = allocator.NewPage();
            InitDataPage(page->Mutable(), format, 0);
            mapPages.push_back(page);
        }
        MutablePageRef page = mapPages.back();
        const std::vector<std::uint8_t> row = EmptyInlineMapRow();
        return RowPointer{page->number, AppendRow(page->Mutable(), format, row)};
    };
    const RowPointer owned = placeMapRow();
    const RowPointer freeSpace = placeMapRow();
    for (NewColumn& column : columns) {
        if (column.type == ColumnType::Memo) {
            column.longValueOwned = placeMapRow();
            column.longValueFree = placeMapRow();
        }
    }

    const std::vector<std::uint8_t> definition = Serialise(columns, sortOrder, owned, freeSpace);
    // First page: the first page-size bytes; continuation pages: 8-byte header + the rest.
    const std::size_t pageSize = format.pageSize;
    std::vector<MutablePageRef> tdefPages{first};
    std::size_t done = std::min(pageSize, definition.size());
    while (done < definition.size()) {
        tdefPages.push_back(allocator.NewPage());
        done += std::min(pageSize - 8, definition.size() - done);
    }
    std::size_t offset = 0;
    for (std::size_t i = 0; i < tdefPages.size(); ++i) {
        std::vector<std::uint8_t>& bytes = tdefPages[i]->bytes;
        std::fill(bytes.begin(), bytes.end(), 0);
        std::size_t used = 0;
        if (i == 0) {
            used = std::min(pageSize, definition.size());
            std::memcpy(bytes.data(), definition.data(), used);
            offset = used;
        } else {
            const std::size_t chunk = std::min(pageSize - 8, definition.size() - offset);
            std::memcpy(bytes.data() + 8, definition.data() + offset, chunk);
            offset += chunk;
            used = 8 + chunk;
        }
        bytes[0] = kPageTableDef;
        bytes[1] = 0x01;
        const std::size_t room = pageSize > used + 8 ? pageSize - used - 8 : 0;
        StoreU16(bytes.data() + 2, static_cast<std::uint16_t>(room));
        StoreU32(bytes.data() + 4, i + 1 < tdefPages.size() ? tdefPages[i + 1]->number : 0);
    }
    return tdefPage;
}

}  // namespace accessdb

#pragma once
// A table definition (TDEF): the header block (row count, autonumber state, column counts, the
// table's usage maps), the column blocks and names, the real (physical) and logical indexes and
// the long-value usage maps of Memo/OLE columns. A TDEF may span several pages; `raw` keeps the
// logical buffer (first page whole, then bytes 8.. of each continuation page) and `pages` the
// chain, so a writer can change fields and write the definition back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/ColumnType.h"
#include "accessdb/Header.h"
#include "accessdb/PageFile.h"

namespace accessdb {

struct ColumnDef {
    std::string name;
    ColumnType type = ColumnType::Text;
    std::uint16_t number = 0;       // null-mask bit; deleted columns keep their numbers
    std::uint16_t varIndex = 0;     // slot in the variable-offset table (variable columns)
    std::uint16_t fixedOffset = 0;  // offset in the fixed area (fixed columns)
    std::uint16_t length = 0;       // bytes (Text: 2 x characters in J4+)
    std::uint8_t flags = 0;
    std::uint8_t extFlags = 0;
    SortOrder sortOrder;                 // Text and Memo
    std::uint8_t precision = 0;          // Decimal
    std::uint8_t scale = 0;              // Decimal
    std::uint32_t complexId = 0;         // Complex (ACE)
    std::size_t blockIndex = 0;          // position of the column block in the TDEF (name order)
    std::vector<std::uint8_t> rawBlock;  // the block as read (unknown bytes survive a rewrite)
    std::optional<RowPointer> longValueOwnedMap;  // Memo/OLE (J4+), when declared
    std::optional<RowPointer> longValueFreeMap;

    bool IsFixed() const { return (flags & kColumnFixed) != 0; }
    bool IsAutoNumber() const { return (flags & (kColumnAutoLong | kColumnAutoGuid)) != 0; }
    bool IsHyperlink() const { return type == ColumnType::Memo && (flags & kColumnHyperlink) != 0; }
    bool IsCalculated() const { return (extFlags & kColumnCalculated) != 0; }
    bool IsCompressedUnicode() const { return (extFlags & kColumnCompressedUnicode) != 0; }
    // Characters for Text columns (bytes / 2 in J4+), bytes otherwise.
    std::uint16_t Size(bool unicode) const;
};

struct IndexColumn {
    std::uint16_t columnNumber = 0;
    bool ascending = true;
};

// Index flags of a real index.
inline constexpr std::uint8_t kIndexUnique = 0x01;
inline constexpr std::uint8_t kIndexIgnoreNulls = 0x02;
inline constexpr std::uint8_t kIndexRequired = 0x08;

struct RealIndex {
    std::uint32_t number = 0;
    std::vector<IndexColumn> columns;
    RowPointer ownedMap;
    std::uint32_t rootPage = 0;
    std::uint8_t flags = 0;
    std::uint32_t uniqueEntryCount = 0;       // from the row-count block
    std::size_t blockOffset = 0;              // offset of the 52/39-byte block in `raw`
    std::vector<std::uint8_t> rawBlock;       // as read, empty for new indexes
    std::vector<std::uint8_t> rawCountBlock;  // the 12-byte row-count block as read
    bool Unique() const { return (flags & kIndexUnique) != 0; }
    bool IgnoreNulls() const { return (flags & kIndexIgnoreNulls) != 0; }
    bool Required() const { return (flags & kIndexRequired) != 0; }
};

struct LogicalIndex {
    std::string name;
    std::uint32_t number = 0;
    std::uint32_t realIndex = 0;
    std::uint8_t relatedSide = 0;    // foreign keys: 1 primary side, 2 secondary side
    std::int32_t relatedIndex = -1;  // -1 when not a foreign key
    std::uint32_t relatedTable = 0;  // TDEF page of the related table
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeNull = false;
    std::uint8_t type = 0;               // 1 primary key, 2 foreign key, 0 other
    std::vector<std::uint8_t> rawBlock;  // as read, empty for new indexes
    bool IsPrimaryKey() const { return type == 1; }
    bool IsForeignKey() const { return type == 2; }
};

class TableDef {
  public:
    // Reads the definition starting at `page`. `name` only serves messages. Throws Damaged.
    static TableDef Load(PageFile& pages, std::uint32_t page, const std::string& name);

    std::string name;
    std::uint32_t page = 0;
    std::vector<std::uint32_t> pages;  // the chain, first page first
    std::vector<std::uint8_t> raw;     // logical definition buffer

    std::uint32_t rowCount = 0;
    std::uint32_t autoNumber = 0;         // last Long autonumber handed out
    std::uint32_t complexAutoNumber = 0;  // ACE
    std::uint8_t tableType = 0;           // 0x4E user, 0x53 system
    std::uint16_t maxColumns = 0;
    std::uint16_t varColumns = 0;
    std::uint16_t columnCount = 0;
    RowPointer ownedMap;
    RowPointer freeMap;

    std::vector<ColumnDef> columns;  // ordered by column number
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> logicalIndexes;

    // The logical definition buffer made from the fields above (Jet 4/ACE). Bytes the engine
    // does not interpret are taken from the blocks as read, so an unchanged definition
    // serialises to exactly the bytes it was read from. Jet 3 names are stored in `codePage`
    // (the header's; 0 is 1252): a name it cannot hold is refused (Constraint).
    std::vector<std::uint8_t> Serialize(const Format& format, std::uint16_t codePage = 0) const;
    // Writes Serialize() over the page chain, appending continuation pages (type 0x02) when the
    // definition grew; a new table (empty `pages`) gets all its pages appended. Updates `raw`
    // and `pages`.
    void Store(PageFile& pages);
    // Writes only the counters that change with every row (row count, autonumbers, unique entry
    // counts of the indexes) into the pages that hold them.
    void StoreCounters(PageFile& pages);

    // Case-insensitive (ASCII) lookup; nullptr when absent.
    const ColumnDef* FindColumn(const std::string& columnName) const;
    // The columns of a real index, in key order.
    std::vector<const ColumnDef*> IndexColumns(const RealIndex& index) const;
};

// The starting bytes of a new column block: the engine's constant and the sort order, which
// Access writes for columns of every type (Serialize fills in the rest).
std::vector<std::uint8_t> NewColumnBlock(const Format& format, SortOrder sortOrder);
// The starting bytes of a new logical index block: the engine's constant and the cascade bytes
// Access writes for indexes that are not foreign keys.
std::vector<std::uint8_t> NewLogicalIndexBlock(const Format& format);

// The tail every definition ends with, in every format: the long-value map pair of each Memo
// or OLE column of `order` (the columns in stored order), the end mark FF FF, and the total
// length stored at byte 8.
void FinishDefinition(std::vector<std::uint8_t>& out, const std::vector<const ColumnDef*>& order);

// How many pages a serialised definition of `size` bytes takes: the first page holds the
// first page-size bytes, each continuation page its 8-byte header and the next bytes.
std::size_t DefinitionPageCount(std::size_t size, std::size_t pageSize);
// Writes page `index` of the chain that holds `definition` over the whole of `page`: its share
// of the bytes, the page header with the free space (Jet 3: the mark "VC"), and `next` (0 for
// the last page).
void FillDefinitionPage(const std::vector<std::uint8_t>& definition, std::size_t index,
                        std::uint32_t next, MutableBytes page, const Format& format);

// ASCII-case-insensitive comparison used for table and column names.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
int CompareIgnoreCase(const std::string& a, const std::string& b);

}  // namespace accessdb

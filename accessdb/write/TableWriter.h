#pragma once
// Appending rows to one table: the row goes onto the table's last data page with room (or a
// new page, recorded in the table's owned and free-space maps), long values onto the column's
// long-value pages, every real index gets its entry, and the row count in the table
// definition stays exact.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/TableDef.h"
#include "accessdb/UsageMap.h"
#include "accessdb/Value.h"
#include "accessdb/index/IndexKey.h"
#include "accessdb/index/IndexNodeCache.h"
#include "accessdb/write/PageAllocator.h"
#include "accessdb/write/RowEncoder.h"

namespace accessdb {

class TableWriter {
  public:
    TableWriter(PageFile& pages, PageAllocator& allocator, std::shared_ptr<const TableDef> table);

    const TableDef& Def() const { return *table_; }

    // Stores a Memo/OLE value of column `column` and returns its field: inline when it is at
    // most 64 bytes and `inlineRoom` allows, else one long-value row, else a chain of rows.
    StoredField StoreLongValue(const ColumnDef& column, const std::vector<std::uint8_t>& data,
                               std::size_t inlineRoom);

    // Appends the row and its entry in every real index. `values` (same order as the columns)
    // give the index keys. Every key is made and checked before the row is placed: Error
    // NotSupported for an index whose keys cannot be written, Constraint 3058 for a Null in a
    // primary key or required index. A duplicate key in a unique index (3022) is found while
    // the entries go in: the caller rolls the whole statement back.
    // The row count goes to the definition page at once, or with `deferCount` only in memory
    // until StorePendingRowCount(): a data row a statement saves the whole-page savepoint
    // copy of the definition page, which every row would otherwise pay for.
    RowPointer Insert(const std::vector<StoredField>& fields, const std::vector<Value>& values,
                      bool deferCount = false);
    // Writes a deferred row count to the definition page (nothing when none is pending). The
    // owner calls it before the group reaches the file, before a statement is rolled back
    // (the rows before it stay), and before anything reads the definition from its page.
    void StorePendingRowCount();

    // Records a Long AutoNumber value handed out or supplied (the counter only grows).
    void RaiseAutoNumber(std::int64_t value);

    // The key of `values` in real index `index`.
    KeyBytes IndexKey(const RealIndex& index, const std::vector<Value>& values) const;

    // Whether index `index` (a real index of this table) holds an entry with these key bytes.
    bool IndexHoldsKey(const RealIndex& index, const KeyBytes& key);

  private:
    struct LongValueState {
        UsageMap owned;
        UsageMap free;
        std::uint32_t current = 0;
    };

    struct IndexState {
        UsageMap owned;
        bool unique = false;
        bool primaryKey = false;
    };

    std::uint32_t PageWithRoom(std::size_t length);
    std::vector<IndexState>& Indexes();
    struct PendingKey {
        KeyBytes key;
        bool allNull = false;
    };
    void InsertIndexEntry(std::size_t i, const KeyBytes& key, bool allNull, RowPointer where);
    LongValueState& LongValueMaps(const ColumnDef& column);
    RowPointer AppendLongValueRow(LongValueState& state, const std::vector<std::uint8_t>& row);
    void StoreRowCount();

    PageFile& pages_;
    PageAllocator& allocator_;
    std::shared_ptr<TableDef> table_;
    UsageMap owned_;
    UsageMap free_;
    std::uint32_t current_ = 0;
    bool searched_ = false;
    bool rowCountPending_ = false;     // table_->rowCount is ahead of the definition page
    UsageMap::PageAllocator newPage_;  // maps that grow take their bitmap pages from allocator_
    std::map<std::uint16_t, LongValueState> longValues_;
    std::vector<std::uint8_t> rowBuffer_;
    RowScratch rowScratch_;
    std::optional<std::vector<IndexState>> indexes_;  // loaded on the first insert
    std::vector<std::optional<PendingKey>> keys_;     // this row's keys; none: no entry
    IndexNodeCache nodes_;  // decoded pages of every index of the table, for the session
};

}  // namespace accessdb

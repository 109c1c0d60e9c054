#pragma once
// A forward cursor over a table's rows: the data pages of its owned-pages usage map, in page
// order, rows in slot order, deleted rows skipped and overflow rows followed to their real row.
#include <memory>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/RowLayout.h"
#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

class TableCursor {
  public:
    TableCursor(PageFile& pages, std::shared_ptr<const TableDef> table);

    // Moves to the next row; false at the end.
    bool Next();
    // The current row's values, in the order of Table().columns.
    const std::vector<Value>& Row() const { return values_; }
    // Where the current row lives (after following an overflow pointer).
    RowPointer Position() const { return position_; }
    // The row's id: where its slot is (indexes point here, also for overflow rows).
    RowPointer RowId() const { return rowId_; }
    const TableDef& Table() const { return *table_; }

  private:
    bool LoadPage();
    Bytes FollowLookup(Bytes row);

    PageFile& pages_;
    std::shared_ptr<const TableDef> table_;
    RowDecoder decoder_;
    std::vector<std::uint32_t> dataPages_;
    std::size_t pageIndex_ = 0;
    PageRef page_;
    PageRef lookupPage_;
    std::uint16_t rowCount_ = 0;
    std::uint16_t nextRow_ = 0;
    RowPointer position_;
    RowPointer rowId_;
    std::vector<FieldSlice> slices_;
    std::vector<Value> values_;
};

}  // namespace accessdb

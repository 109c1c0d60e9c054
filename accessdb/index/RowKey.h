#pragma once
// The key of a row in one of its table's real indexes, for the column types the engine can
// encode (Byte, Integer, Long, Text and Memo in the General Legacy and General sort orders).
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/index/IndexKey.h"

namespace accessdb {

// Throws Error(NotSupported) for a column type or sort order it cannot encode.
KeyBytes RowIndexKey(const TableDef& table, const RealIndex& index,
                     const std::vector<Value>& values);

}  // namespace accessdb

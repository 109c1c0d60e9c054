#pragma once
// The key of a row in one of its table's real indexes, for every indexable column type: the
// integer and floating types, Currency, Decimal, Date/Time (also Extended), Yes/No, GUID,
// Binary, and Text and Memo in the General Legacy and General sort orders.
#include <string>
#include <vector>

#include "accessdb/Format.h"
#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/index/IndexKey.h"

namespace accessdb {

// Longest key Access stores whole; longer ones it shortens by a rule no source describes.
inline constexpr std::size_t kMaxIndexKeyBytes = 510;

// The names of the logical indexes a real index backs ("PrimaryKey", "Name"), joined with
// " / "; "index <n>" when none names it.
std::string IndexDisplayName(const TableDef& table, const RealIndex& index);

// Throws Error(NotSupported) naming the table, index and reason when keys of `index` cannot be
// written: a column type without a key encoding or a text sort order without tables.
void RequireEncodableIndex(const TableDef& table, const RealIndex& index, const Format& format);

// The key of `values` (one per column of `table`, in column order). Throws Error(NotSupported)
// as above, and for a key longer than kMaxIndexKeyBytes.
KeyBytes RowIndexKey(const TableDef& table, const RealIndex& index,
                     const std::vector<Value>& values, const Format& format);

// Whether every column of `index` is Null in `values` (Yes/No columns count as not Null).
bool AllKeyColumnsNull(const TableDef& table, const RealIndex& index,
                       const std::vector<Value>& values);

}  // namespace accessdb

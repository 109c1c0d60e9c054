#pragma once
// Turns a column's stored bytes into a typed Value.
#include "accessdb/PageFile.h"
#include "accessdb/RowLayout.h"
#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

// Jet 3 text uses the header's code page; long values are read through `pages`.
Value DecodeValue(PageFile& pages, const ColumnDef& column, const FieldSlice& slice);

}  // namespace accessdb

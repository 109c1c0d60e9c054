#pragma once
// Values into their stored form.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/write/RowEncoder.h"

namespace accessdb {

// How a database stores text: UTF-16LE, compressed where the column allows (Jet 4/ACE), or
// bytes of the database's code page (Jet 3). `table` names the table in messages.
struct TextStorage {
    bool codePageText = false;
    std::uint16_t codePage = 0;
    std::string_view table;
    static TextStorage Of(const PageFile& pages, std::string_view table);
};

// The stored bytes of a non-long value (Memo and OLE go through TableWriter). Throws
// Error(Constraint) naming column and character for text the code page cannot hold.
void EncodeField(const ColumnDef& column, const Value& value, StoredField& out,
                 const TextStorage& text);

// The stored bytes of a Text or Memo value of `column`, into `out`.
void EncodeColumnText(const ColumnDef& column, const std::string& utf8, const TextStorage& text,
                      std::vector<std::uint8_t>& out);

// The current local wall-clock time.
std::tm LocalTimeNow();
// Days since 1899-12-30 of the current local time (DateCreate, DateUpdate).
double NowAsDateTime();

}  // namespace accessdb

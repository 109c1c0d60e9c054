#pragma once
// Which columns of a new table need LONGTEXT: VARCHAR is Text(255), and a value longer than that
// would stop the run part-way through the file. The file is in memory whole before its table is
// made, so the widest value of every column is known in advance.
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "import/CsvSplitter.h"

namespace quillmere {

// The characters a Text column holds, counted as Access counts them: UTF-16 code units.
inline constexpr size_t kTextColumnUnits = 255;

// The length of UTF-8 text in UTF-16 code units (a character beyond U+FFFF takes two).
size_t Utf16Length(std::string_view utf8);

// For every column position 0 to columnCount - 1: whether some data line of lines[range] (the
// lines the run will store, selected and shaped exactly as it stores them) holds a value there
// longer than kTextColumnUnits. yield is called every few thousand lines, so a window stays
// alive over a long file.
std::vector<bool> FindLongTextColumns(CsvSplitter& splitter, const CsvLines& lines,
                                      const DataLineRange& range, size_t columnCount,
                                      const std::function<void()>& yield);

}  // namespace quillmere

#pragma once
// The SQL text the import sends: one statement that creates a table, one per data line, and in
// append mode the query whose only use is its column count. Every column is text, every
// value a quoted text literal; apostrophes in values are doubled and nothing else is escaped.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// CREATE TABLE `T`(`a` VARCHAR, `b` VARCHAR); a column marked in longText (by position) is
// LONGTEXT (Memo) instead, for values beyond the 255 characters VARCHAR holds.
std::string CreateTableStatement(std::string_view table, const std::vector<std::string>& columns,
                                 const std::vector<bool>& longText = {});

// INSERT INTO `T` VALUES('x','y');  (values as ShapeRow gives them: a filled-in value is '')
std::string InsertRowStatement(std::string_view table, std::span<const std::string_view> values);

// The same into out, whose storage is reused: the row loop builds one statement per line.
// An empty value j becomes NULL instead of '' where emptyAsNull[j] is set (appends into
// columns that are not Text or Memo, which Access's engine refuses '' for).
void BuildInsertRowStatement(std::string& out, std::string_view table,
                             std::span<const std::string_view> values,
                             const std::vector<bool>& emptyAsNull = {});

// SELECT * FROM `T`
std::string ColumnCheckQuery(std::string_view table);

}  // namespace quillmere

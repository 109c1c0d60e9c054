#pragma once
// A hand-written reader for the few statements the engine executes: CREATE TABLE, INSERT INTO
// ... VALUES and SELECT * FROM. No regular expressions: the import sends one INSERT per data
// line, so parsing is on the hot path.
#include <string_view>

#include "accessdb/sql/SqlStatement.h"

namespace accessdb::sql {

// Parses one statement (an optional trailing ';' and white space allowed). Throws
// SqlSyntaxError naming the position of the first thing it cannot read.
Statement ParseStatement(std::string_view text);

// The same, reusing the storage of `into` (its strings and vectors keep their capacity), for
// callers that parse many statements in a row.
// Tries ReadImportInsert first, then the full reader.
void ParseStatementInto(std::string_view text, Statement& into);

// The quick reader of the INSERT spelling the import sends for each line
// (INSERT INTO `T` VALUES('a','it''s',NULL);). Returns false for any other text, which the full
// reader must then read (`into` may have been changed). What it accepts, it reads exactly as
// ParseStatementFully does.
bool ReadImportInsert(std::string_view text, Statement& into);
// The full reader alone.
void ParseStatementFully(std::string_view text, Statement& into);

}  // namespace accessdb::sql

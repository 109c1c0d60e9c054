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
void ParseStatementInto(std::string_view text, Statement& into);

}  // namespace accessdb::sql

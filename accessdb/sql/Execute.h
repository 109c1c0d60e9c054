#pragma once
// Jet SQL on top of the engine: the one place that knows SQL. Statements are parsed, their
// literals converted to the columns' types, and the typed operations of Database carried out.
#include <string_view>

namespace accessdb {
class Database;
}

namespace accessdb::sql {

// Runs one statement: CREATE TABLE, INSERT INTO ... VALUES, or SELECT * FROM (read to nothing).
// Throws accessdb::Error: Syntax with the position for text it cannot read, otherwise the
// engine's error naming the table, column and value concerned.
void Execute(Database& database, std::string_view text);

}  // namespace accessdb::sql

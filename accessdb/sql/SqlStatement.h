#pragma once
// The statements our small Jet SQL understands, as plain data: what the parser gives and the
// engine executes.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace accessdb::sql {

// A column type as CREATE TABLE names it, mapped to the Access type it makes.
enum class ColumnKind : std::uint8_t {
    Text,      // VARCHAR, TEXT, CHAR (size in characters, default 255)
    Memo,      // MEMO, LONGTEXT
    Byte,      // BYTE, TINYINT
    Integer,   // SHORT, SMALLINT (2 bytes)
    Long,      // LONG, INTEGER, INT (4 bytes, as Jet reads INTEGER)
    Single,    // SINGLE, REAL
    Double,    // DOUBLE, FLOAT
    Currency,  // CURRENCY, MONEY
    DateTime,  // DATETIME, DATE, TIME
    Bit,       // BIT, YESNO, LOGICAL
    Counter,   // COUNTER, AUTOINCREMENT (a Long AutoNumber)
    Guid,      // GUID, UNIQUEIDENTIFIER
};

struct ColumnDefinition {
    std::string name;
    ColumnKind kind = ColumnKind::Text;
    int size = 255;        // characters; meaningful for Text only
    bool notNull = false;  // NOT NULL
};

struct IndexColumnName {
    std::string name;
    bool ascending = true;  // ASC (the default) or DESC
};

// An index as a constraint clause or CREATE INDEX gives it.
struct IndexClause {
    std::string name;  // empty for a constraint without CONSTRAINT name
    std::vector<IndexColumnName> columns;
    bool primaryKey = false;    // PRIMARY KEY, WITH PRIMARY
    bool unique = false;        // UNIQUE
    bool disallowNull = false;  // WITH DISALLOW NULL
    bool ignoreNull = false;    // WITH IGNORE NULL
};

struct CreateTable {
    std::string table;
    std::vector<ColumnDefinition> columns;
    // Column constraints (PRIMARY KEY, UNIQUE after a column's type) and table constraints
    // ([CONSTRAINT name] PRIMARY KEY (a, b), UNIQUE (...)), in the order written.
    std::vector<IndexClause> indexes;
};

// CREATE [UNIQUE] INDEX name ON table (col [ASC|DESC], ...) [WITH PRIMARY | DISALLOW NULL |
// IGNORE NULL]
struct CreateIndex {
    std::string table;
    IndexClause index;
};

struct Literal {
    enum class Kind : std::uint8_t { Null, String, Number };
    Kind kind = Kind::Null;
    std::string text;  // the string's value (quotes undone) or the number as written
};

struct InsertInto {
    std::string table;
    std::vector<std::string> columns;  // empty: values go to the table's columns by position
    std::vector<Literal> values;
};

struct SelectAll {
    std::string table;
};

using Statement = std::variant<CreateTable, InsertInto, SelectAll, CreateIndex>;

// A statement the parser cannot read. number() is the Jet error number of that kind of mistake;
// position() is the 1-based character position where reading stopped.
class SqlSyntaxError : public std::runtime_error {
  public:
    SqlSyntaxError(long number, std::size_t position, const std::string& message)
        : std::runtime_error(message), number_(number), position_(position) {}
    long number() const { return number_; }
    std::size_t position() const { return position_; }

  private:
    long number_;
    std::size_t position_;
};

// Type names for messages ("VARCHAR(255)", "LONG", ...).
const char* ColumnKindName(ColumnKind kind);

}  // namespace accessdb::sql

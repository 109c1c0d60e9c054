#pragma once
// Writing a new, empty Access database from nothing: page 0, the file's free-page map, the
// system tables with their indexes, and the catalog rows and access-control entries the engine
// writes for a new database (README.md in this folder lists them). Jet 4 for .mdb files (Jet 3
// when the Access 97 format is asked for), ACE for .accdb files.
//
//   accessdb::CreateDatabase("shop.accdb", {});                         // Access 2010 format
//   accessdb::CreateDatabase("old.mdb", {NewDatabaseFormat::Access2000, "secret"});
//   accessdb::CreateDatabase("older.mdb", {NewDatabaseFormat::Access97, ""});  // Jet 3
//   accessdb::CreateDatabase("safe.accdb", {NewDatabaseFormat::Default, "secret"});  // encrypted
#include <optional>
#include <string>

namespace accessdb {

enum class NewDatabaseFormat {
    Default,
    Access97,
    Access2000,
    Access2003,
    Access2007,
    Access2010,
    Access2016,
    Access2019
};

struct NewDatabaseOptions {
    NewDatabaseFormat format = NewDatabaseFormat::Default;  // 2003 for .mdb, 2010 for .accdb
    // Jet 3 and Jet 4: the stored database password (Jet 3: in code page 1252); ACE: the
    // password of the file's Office (Agile) encryption. Empty for none.
    std::string password;
};

// "97", "2000", "2003", "2007", "2010", "2016", "2019"; empty for anything else.
std::optional<NewDatabaseFormat> ParseNewDatabaseFormat(const std::string& text);

// Whether the path names an .accdb file (letter case ignored).
bool IsAccdbPath(const std::string& path);

// Writes the database. Never replaces an existing file. Throws Error: Constraint when a file
// is already there, the format does not suit the file's extension or the password is too long
// (20 characters for .mdb, 255 for .accdb) or, in the Access 97 format, holds a character code
// page 1252 lacks; Io when writing fails.
// A failed creation leaves nothing behind.
void CreateDatabase(const std::string& path, const NewDatabaseOptions& options);

}  // namespace accessdb

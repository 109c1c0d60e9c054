#pragma once
// The engine's entry point: an open Access database with its catalog, table definitions,
// table cursors and statements.
//
//   auto db = accessdb::Database::Open(path, password, accessdb::OpenMode::ReadOnly);
//   for (auto& row : db->SchemaRows()) ...          // (TABLE_TYPE, TABLE_NAME), sorted
//   auto def = db->Table("Orders");                 // columns, indexes, row count
//   auto cursor = db->OpenTable("Orders");          // or db->OpenQuery("SELECT * FROM `Orders`")
//   while (cursor->Next()) use(cursor->Row());
//
// Every failure is an accessdb::Error naming the file, table or column concerned.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "accessdb/Catalog.h"
#include "accessdb/Error.h"
#include "accessdb/Header.h"
#include "accessdb/PageFile.h"
#include "accessdb/TableCursor.h"
#include "accessdb/TableDef.h"
#include "accessdb/TableDefinition.h"
#include "accessdb/Value.h"

namespace accessdb {

class Writer;
class Database;

// Appends rows of typed values to one table of a database opened for writing. Each Insert is
// all or nothing. Cheap to make; valid while its database is open.
class RowInserter {
  public:
    // The table's definition as the writer keeps it (row count and AutoNumber current).
    const TableDef& Table();
    // `values`: one per column in column order, each Null or of the column's type;
    // `supplied[i]` false when column i was not named (empty: every column was). Throws
    // accessdb::Error naming the table, column and value for a row the table refuses.
    void Insert(std::vector<Value>& values, const std::vector<bool>& supplied = {});

  private:
    friend class Database;
    RowInserter(Database& database, std::string table)
        : database_(&database), table_(std::move(table)) {}
    Database* database_;
    std::string table_;
};

struct DatabaseInfo {
    std::string path;
    std::string engineName;  // "Standard Jet DB" / "Standard ACE DB"
    std::string formatName;  // "Jet 3", "Jet 4", "ACE 12", ...
    int versionByte = 0;
    std::uint32_t pageSize = 0;
    std::uint32_t pageCount = 0;
    SortOrder sortOrder;
    std::string sortOrderName;  // "General Legacy", "General", ...
    std::uint16_t codePage = 0;
    Encryption encryption = Encryption::None;
    std::string encryptionVersion;
    bool hasPassword = false;  // a stored Jet database password (.mdb)
};

// Header facts of a file without opening it as a database (no password needed, encrypted files
// included). Throws FileNotFound / NotDatabase.
DatabaseInfo ReadDatabaseInfo(const std::string& path);

class Database {
  public:
    // Opens the database. Throws FileNotFound (3024), NotDatabase (3343), WrongPassword (3031),
    // Encrypted, ReadOnly, Damaged.
    static std::unique_ptr<Database> Open(const std::string& path, const std::string& password,
                                          OpenMode mode = OpenMode::ReadOnly);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& Path() const { return pages_->Path(); }
    OpenMode Mode() const { return mode_; }
    DatabaseInfo Info() const;
    PageFile& Pages() { return *pages_; }
    const Format& format() const { return pages_->format(); }

    // The catalog, read on first use and kept until InvalidateCatalog().
    Catalog& GetCatalog();
    std::vector<SchemaRow> SchemaRows();
    // Names of the user tables ("TABLE" rows), in schema-rowset order.
    std::vector<std::string> UserTableNames();

    // The definition of a local table (letter case of the name ignored). Throws TableNotFound
    // (3078) when there is no such table or query, NotSupported for queries and linked tables.
    std::shared_ptr<const TableDef> Table(const std::string& name);
    std::unique_ptr<TableCursor> OpenTable(const std::string& name);
    // Cursor for "SELECT * FROM <table>" (name bare, in backquotes or in brackets).
    std::unique_ptr<TableCursor> OpenQuery(const std::string& sql);
    // Runs one Jet SQL statement (sql/Execute.h): CREATE TABLE, INSERT INTO ... VALUES, and
    // SELECT * FROM (read to nothing).
    void Execute(const std::string& sql);

    // Writing (databases opened with ReadWrite or Discard). Throws ReadOnly otherwise.
    void CreateTable(const TableDefinition& definition);
    // Adds an index to an existing table, with an entry for every row it holds. Throws 3022 /
    // 3058 when those rows break a unique or required index (nothing changes then).
    void CreateIndex(const std::string& table, const IndexDefinition& index);
    // Throws TableNotFound (3078) when there is no such table.
    RowInserter Inserter(const std::string& table);

    // Writes the statements executed so far that are not in the file yet (they are held in
    // memory for at most 500 ms of work; no-op for read-only and discarding databases).
    void WritePending();
    // Forget cached catalog and table definitions (after the writer changed them).
    void InvalidateCatalog();
    // Writes the statements not yet in the file and syncs (nothing to write for read-only
    // databases), then ends the session's locks: a writer waiting for this reader, or a second
    // writer, may go on.
    void Close();

    // Runs `fn`, turning a Damaged error from the low layers into one that names the file.
    template <class Fn>
    auto Guard(Fn&& fn) -> decltype(fn()) {
        try {
            return fn();
        } catch (const Error& e) {
            if (e.Kind() != ErrorKind::Damaged ||
                std::string(e.what()).rfind("The database '", 0) == 0)
                throw;
            throw Error(ErrorKind::Damaged,
                        "The database '" + Path() + "' is damaged: " + e.what() + ".");
        }
    }

  private:
    friend class RowInserter;
    Database(std::unique_ptr<PageFile> pages, OpenMode mode);
    // The writer; without one, throws ReadOnly naming what was attempted. `what` makes that
    // text only then: the import asks for the writer once a row.
    template <class Describe>
    Writer& RequireWriter(Describe&& what) {
        if (!writer_)
            ThrowReadOnly(what());
        return *writer_;
    }
    [[noreturn]] void ThrowReadOnly(const std::string& what) const;
    // Checks that the file may be written and prepares it (lock file, journal recovery).
    void PrepareForWriting();

    std::unique_ptr<PageFile> pages_;
    OpenMode mode_;
    std::unique_ptr<Catalog> catalog_;
    std::map<std::uint32_t, std::shared_ptr<const TableDef>> tables_;
    std::unique_ptr<Writer> writer_;  // databases opened for writing (write/Writer.h)
};

// Writes, syncs and closes every database this process has open for writing. For a program
// that ends without unwinding (std::_Exit) in the middle of a run: what was executed stays in
// the file. Statements on those databases fail afterwards.
void CloseDatabasesForExit();

// Rolls back a statement that a crash cut off in the database at `path`, if its journal says
// so (the database must be writable then). Called before a database is opened.
void RecoverInterruptedStatement(const std::string& path);
// The pages of a database opened for reading (`mode` ReadOnly or Discard), under the reader's
// lock (DatabaseLock.h), after any statement a crash cut off was rolled back.
std::unique_ptr<PageFile> OpenPagesForReading(const std::string& path, OpenMode mode);

// Parses "SELECT * FROM name" and returns the table name; throws Syntax or NotSupported.
std::string ParseSelectAll(const std::string& sql);

}  // namespace accessdb

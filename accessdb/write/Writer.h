#pragma once
// Carries out the writing operations (a new table, a new row) on a database opened for writing.
// Holds the lock file and the rollback journal for as long as the database is open. Every
// operation is all or nothing: its pages are changed in the cache, then the original images go
// to the journal, then the pages to the file, then the journal is marked empty. An operation that
// fails midway leaves the file untouched. Values arrive typed: no SQL is known here.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/LockFile.h"
#include "accessdb/RollbackJournal.h"
#include "accessdb/TableDefinition.h"
#include "accessdb/Value.h"
#include "accessdb/check/WriteGuard.h"
#include "accessdb/write/PageAllocator.h"
#include "accessdb/write/TableWriter.h"
#include "accessdb/write/rules/TableRules.h"

namespace accessdb {

class Database;

class Writer {
  public:
    // Takes the lock file (Error InUse when another program holds it) and rolls back a
    // statement a crash cut off.
    // With `discard`, changes stay in memory and never reach the file: no lock file, no
    // journal (a dry run).
    Writer(Database& database, bool discard);
    ~Writer();

    void CreateTable(const TableDefinition& definition);
    // Adds `index` to table `name` and fills it from the table's rows.
    void CreateIndex(const std::string& name, const IndexDefinition& index);
    // The definition of table `name` as the writer keeps it (counters current). Throws
    // TableNotFound (3078).
    const TableDef& Table(const std::string& name);
    // Appends a row to table `name`. `values` hold one value per column, in column order, each
    // Null or of the column's type; `supplied[i]` false says column i was not named by the
    // caller (an empty `supplied` means every column was). Columns not supplied take their
    // default values; Long AutoNumber columns take the next number when Null (a given number
    // moves the counter past it), GUID AutoNumber columns a new random GUID. Then the table's
    // rules are checked (rules/TableRules.h). The values may be changed (filled in).
    void Insert(const std::string& name, std::vector<Value>& values,
                const std::vector<bool>& supplied);

    // After the database's pages are written and synced: removes the journal and the lock file.
    void Close();

  private:
    template <class Fn>
    void RunStatement(Fn&& body);
    void ForgetState();
    TableWriter& WriterFor(const std::string& name);
    // The rules of a table, read from its properties on first use.
    const rules::TableRules& RulesFor(const TableDef& table);
    TableWriter& CatalogWriter();
    void AddCatalogRow(const std::string& name, std::uint32_t tdefPage);
    void AddAccessControlRows(std::uint32_t tdefPage);
    const std::vector<std::uint8_t>& DatabaseOwner();

    Database& database_;
    std::unique_ptr<LockFile> lock_;            // null when discarding
    std::unique_ptr<RollbackJournal> journal_;  // null when discarding
    WriteGuard guard_;                          // checks each table before its first change
    PageAllocator allocator_;
    std::map<std::uint32_t, std::unique_ptr<TableWriter>> tables_;  // by TDEF page
    std::map<std::uint32_t, rules::TableRules> rules_;              // by TDEF page
    std::string lastName_;
    TableWriter* lastTable_ = nullptr;
    std::optional<std::vector<std::uint8_t>> owner_;
    std::vector<StoredField> fields_;
};

}  // namespace accessdb

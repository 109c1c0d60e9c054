#pragma once
// Carries out the writing operations (a new table, a new row) on a database opened for writing.
// Holds the lock file and the rollback journal for as long as the database is open. Every
// operation is all or nothing in the page cache (a savepoint: a failed one leaves the cache and
// the writer's own state exactly as before it). The changes of consecutive operations reach the
// file together, as a group: the original images go to the journal, then the pages to the
// file, then the journal is marked empty. A group is written once it holds 16 MiB of changed
// pages or 500 ms have passed since its first change (whichever comes first), before an error
// reaches the caller, and on Close(). After a crash the file holds every group written before
// it. Values arrive typed: no SQL is known here.
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

    // Writes the statements not yet in the file (the group). When that fails the file is put
    // back as it was before the group and the error says how many statements were lost.
    // Returns once the file has them, the group handed to the writing thread before included.
    void CommitGroup();
    // A group that is due goes to the writing thread, and the statements go on meanwhile; a
    // failure to write it comes out of the next commit, which then loses both groups.
    void CommitGroupBehind();
    // After the database's pages are written and synced: removes the journal and the lock file.
    void Close();

    // Writes, syncs and closes every database this process has open for writing, for a program
    // about to end without unwinding (std::_Exit). Their later statements fail.
    static void CloseAllForExit();

  private:
    template <class Fn>
    void RunStatement(Fn&& body);
    void ForgetState();
    // The row counts inserts left in memory go to their definition pages (TableWriter).
    void StorePendingRowCounts();
    void CloseForExit();
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
    void CommitGroupWith(bool behind);
    std::size_t groupStatements_ = 0;    // statements in the group not yet written
    std::size_t writingStatements_ = 0;  // those of the group on the writing thread
    bool closedForExit_ = false;
};

}  // namespace accessdb

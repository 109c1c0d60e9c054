#pragma once
// Executes the writing statements on a database opened for writing. Holds the lock file and
// the rollback journal for as long as the database is open. Every statement is all or
// nothing: its pages are changed in the cache, then the original images go to the journal,
// then the pages to the file, then the journal is marked empty. A statement that fails midway
// leaves the file untouched.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/LockFile.h"
#include "accessdb/RollbackJournal.h"
#include "accessdb/sql/SqlStatement.h"
#include "accessdb/write/PageAllocator.h"
#include "accessdb/write/TableWriter.h"

namespace accessdb {

class Database;

class Writer {
  public:
    // Takes the lock file (Error InUse when another program holds it) and rolls back a
    // statement a crash cut off.
    explicit Writer(Database& database);
    ~Writer();

    void CreateTable(const sql::CreateTable& statement);
    void Insert(const sql::InsertInto& statement);

    // After the database's pages are written and synced: removes the journal and the lock file.
    void Close();

  private:
    template <class Fn>
    void RunStatement(Fn&& body);
    void ForgetState();
    TableWriter& WriterFor(const std::string& name);
    TableWriter& CatalogWriter();
    void AddCatalogRow(const std::string& name, std::uint32_t tdefPage);
    void AddAccessControlRows(std::uint32_t tdefPage);
    const std::vector<std::uint8_t>& DatabaseOwner();

    Database& database_;
    LockFile lock_;
    RollbackJournal journal_;
    PageAllocator allocator_;
    std::map<std::uint32_t, std::unique_ptr<TableWriter>> tables_;  // by TDEF page
    std::string lastName_;
    TableWriter* lastTable_ = nullptr;
    std::optional<std::vector<std::uint8_t>> owner_;
    std::vector<StoredField> fields_;
    std::vector<Value> values_;
    std::vector<int> positions_;
};

}  // namespace accessdb

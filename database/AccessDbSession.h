#pragma once
// DatabaseSession over our own accessdb engine: opens the file named by the connection string,
// answers the tables schema rowset and SELECT * FROM recordsets, executes statements, and maps
// engine errors to DatabaseError with Jet's numbers.
#include <memory>
#include <vector>

#include "accessdb/Database.h"
#include "database/DatabaseSession.h"

namespace quillmere {

class AccessDbRecordset;

// What becomes of the changes of a session opened for reading and writing.
enum class SessionChanges {
    Written,    // each statement reaches the file when it is executed
    Discarded,  // kept in memory and dropped at Close: the file, a journal or a lock file is
                // never written (a dry run); a file that the real session could not write
                // is refused all the same
};

class AccessDbSession : public DatabaseSession {
  public:
    explicit AccessDbSession(SessionChanges changes = SessionChanges::Written)
        : changes_(changes) {}
    ~AccessDbSession() override;

    int State() const override { return db_ ? 1 : 0; }
    int Mode() const override { return mode_; }
    void SetMode(int mode) override { mode_ = mode; }
    void Open(const std::string& connectionString) override;
    void Execute(const std::string& statement) override;
    std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) override;
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                             int lockType) override;
    void Close() override;

    // The open engine database (for tools and tests); nullptr when closed.
    accessdb::Database* Engine() { return db_.get(); }

    // Closes every recordset opened over the session, leaving the session open.
    void CloseRecordsets();

    // Recordsets register while open so that Close() can close them first.
    struct OpenRecordsets {
        std::vector<AccessDbRecordset*> list;
    };

  private:
    accessdb::Database& RequireOpen() const;

    SessionChanges changes_;
    int mode_ = 0;
    std::unique_ptr<accessdb::Database> db_;
    std::shared_ptr<OpenRecordsets> recordsets_ = std::make_shared<OpenRecordsets>();
};

// Runs `fn`, turning accessdb::Error into DatabaseError with the Jet number and message.
template <class Fn>
auto TranslateEngineErrors(Fn&& fn) -> decltype(fn()) {
    try {
        return fn();
    } catch (const accessdb::Error& e) {
        throw DatabaseError(e.JetNumber(), e.what());
    }
}

}  // namespace quillmere

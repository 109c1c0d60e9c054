#include "database/DiscardingSessions.h"

#include "database/AccessDbSession.h"

namespace quillmere {
namespace {

// The one database behind every session of a factory.
class SharedDatabase {
  public:
    // The database of the connection string, opened on first use; another connection string
    // (a different file or password) lets the old changes go and opens that one.
    AccessDbSession& OpenFor(const std::string& connectionString) {
        if (session_.State() != 0 && connectionString != openedWith_) {
            session_.Close();
        }
        if (session_.State() == 0) {
            session_.SetMode(kModeReadWrite);
            session_.Open(connectionString);
            openedWith_ = connectionString;
        }
        return session_;
    }

  private:
    AccessDbSession session_{SessionChanges::Discarded};
    std::string openedWith_;
};

// One user's view of the shared database: opening and closing it opens and closes the view
// only, and the changes stay with the factory.
class DiscardingSession : public DatabaseSession {
  public:
    explicit DiscardingSession(std::shared_ptr<SharedDatabase> shared)
        : shared_(std::move(shared)) {}
    ~DiscardingSession() override { Close(); }

    int State() const override { return open_ != nullptr ? 1 : 0; }
    int Mode() const override { return mode_; }
    void SetMode(int mode) override { mode_ = mode; }
    void Open(const std::string& connectionString) override {
        if (open_ != nullptr) {
            throw DatabaseError(3705, "Operation is not allowed when the object is open.");
        }
        open_ = &shared_->OpenFor(connectionString);
    }
    void Execute(const std::string& statement) override { RequireOpen().Execute(statement); }
    std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) override {
        return RequireOpen().OpenTableSchema(schemaKind);
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                             int lockType) override {
        return RequireOpen().OpenRecordset(query, cursorType, lockType);
    }
    // Closing closes this session's recordsets, as a real Close would, and keeps the database.
    void Close() override {
        if (open_ != nullptr) {
            open_->CloseRecordsets();
            open_ = nullptr;
        }
    }

  private:
    AccessDbSession& RequireOpen() const {
        if (open_ == nullptr) {
            throw DatabaseError(3704, "Operation is not allowed when the object is closed.");
        }
        return *open_;
    }

    std::shared_ptr<SharedDatabase> shared_;
    AccessDbSession* open_ = nullptr;
    int mode_ = 0;
};

class DiscardingFactory : public SessionFactory {
  public:
    std::unique_ptr<DatabaseSession> Create() override {
        return std::make_unique<DiscardingSession>(shared_);
    }

  private:
    std::shared_ptr<SharedDatabase> shared_ = std::make_shared<SharedDatabase>();
};

}  // namespace

std::unique_ptr<SessionFactory> MakeDiscardingSessionFactory() {
    return std::make_unique<DiscardingFactory>();
}

}  // namespace quillmere

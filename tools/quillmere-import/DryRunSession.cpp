#include "DryRunSession.h"

namespace quillmere::tool {
namespace {

class DryRunSession : public DatabaseSession {
  public:
    DryRunSession(std::ostream& out, std::unique_ptr<DatabaseSession> reader,
                  const std::string& databasePath, const std::function<void()>& beforeOutput)
        : out_(out),
          reader_(std::move(reader)),
          databasePath_(databasePath),
          beforeOutput_(beforeOutput) {}

    int State() const override { return open_ ? 1 : 0; }
    int Mode() const override { return mode_; }
    // The mode is remembered but never passed on: a dry run only ever reads.
    void SetMode(int mode) override { mode_ = mode; }
    void Open(const std::string& connectionString) override {
        if (reader_) {
            reader_->Open(connectionString);
        }
        open_ = true;
    }
    void Execute(const std::string& statement) override {
        if (beforeOutput_) {
            beforeOutput_();
        }
        out_ << statement << '\n';
    }
    std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) override {
        return Reader().OpenTableSchema(schemaKind);
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                             int lockType) override {
        return Reader().OpenRecordset(query, cursorType, lockType);
    }
    void Close() override {
        if (reader_ && reader_->State() != 0) {
            reader_->Close();
        }
        open_ = false;
    }

  private:
    DatabaseSession& Reader() {
        if (!reader_) {
            throw DatabaseError(3024, "The database " + databasePath_ +
                                          " does not exist, so its tables cannot be read.");
        }
        return *reader_;
    }

    std::ostream& out_;
    std::unique_ptr<DatabaseSession> reader_;
    std::string databasePath_;
    std::function<void()> beforeOutput_;
    bool open_ = false;
    int mode_ = 0;
};

}  // namespace

std::unique_ptr<DatabaseSession> DryRunSessionFactory::Create() {
    return std::make_unique<DryRunSession>(out_, engine_ ? engine_->Create() : nullptr,
                                           databasePath_, beforeOutput_);
}

}  // namespace quillmere::tool

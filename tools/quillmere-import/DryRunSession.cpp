#include "DryRunSession.h"

namespace quillmere::tool {
namespace {

// Prints each statement before the session behind executes it, so a statement that fails is
// the last one printed before the error.
class PrintingSession : public DatabaseSession {
  public:
    PrintingSession(std::ostream& out, std::unique_ptr<DatabaseSession> inner,
                    const std::function<void()>& beforeOutput)
        : out_(out), inner_(std::move(inner)), beforeOutput_(beforeOutput) {}

    int State() const override { return inner_->State(); }
    int Mode() const override { return inner_->Mode(); }
    void SetMode(int mode) override { inner_->SetMode(mode); }
    void Open(const std::string& connectionString) override { inner_->Open(connectionString); }
    void Execute(const std::string& statement) override {
        if (beforeOutput_) {
            beforeOutput_();
        }
        out_ << statement << '\n';
        inner_->Execute(statement);
    }
    std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) override {
        return inner_->OpenTableSchema(schemaKind);
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                             int lockType) override {
        return inner_->OpenRecordset(query, cursorType, lockType);
    }
    void Close() override { inner_->Close(); }

  private:
    std::ostream& out_;
    std::unique_ptr<DatabaseSession> inner_;
    const std::function<void()>& beforeOutput_;
};

}  // namespace

std::unique_ptr<DatabaseSession> DryRunSessionFactory::Create() {
    return std::make_unique<PrintingSession>(out_, discarding_->Create(), beforeOutput_);
}

}  // namespace quillmere::tool

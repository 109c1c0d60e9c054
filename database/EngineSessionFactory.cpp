// Placeholder until the accessdb engine is wired in: every session fails to open with a clear
// message. Replaced by the accessdb-backed factory.
#include <memory>

#include "database/DatabaseSession.h"

namespace quillmere {
namespace {
class UnavailableSession : public DatabaseSession {
  public:
    int State() const override { return 0; }
    int Mode() const override { return mode_; }
    void SetMode(int mode) override { mode_ = mode; }
    void Open(const std::string&) override { Fail(); }
    void Execute(const std::string&) override { Fail(); }
    std::unique_ptr<Recordset> OpenTableSchema(int) override { Fail(); }
    std::unique_ptr<Recordset> OpenRecordset(const std::string&, int, int) override { Fail(); }
    void Close() override {}

  private:
    [[noreturn]] static void Fail() {
        throw DatabaseError(3706, "The Access engine is not available in this build.");
    }
    int mode_ = 0;
};

class EngineFactory : public SessionFactory {
  public:
    std::unique_ptr<DatabaseSession> Create() override {
        return std::make_unique<UnavailableSession>();
    }
};
}  // namespace

std::unique_ptr<SessionFactory> MakeEngineSessionFactory() {
    return std::make_unique<EngineFactory>();
}

}  // namespace quillmere

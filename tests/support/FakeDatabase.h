#pragma once
// An in-memory engine for tests: databases are registered by path with a password and the rows
// of their tables schema; sessions check the password, serve the schema and record statements.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"

namespace quillmere::testing {

struct FakeDatabaseFile {
    std::string password;
    std::vector<std::pair<std::string, std::string>> schemaRows;  // (TABLE_TYPE, TABLE_NAME)
    std::optional<DatabaseError> openError;                       // raised by Open when set
};

class FakeSessionFactory : public SessionFactory {
  public:
    std::map<std::string, FakeDatabaseFile> files;
    std::optional<DatabaseError> createError;  // raised by Create when set
    int created = 0;
    int opened = 0;
    int closed = 0;
    std::vector<std::string> executed;

    std::unique_ptr<DatabaseSession> Create() override;
};

class FakeSchemaRows : public Recordset {
  public:
    explicit FakeSchemaRows(std::vector<std::pair<std::string, std::string>> rows)
        : rows_(std::move(rows)) {}
    int FieldCount() const override { return 2; }
    std::string FieldName(int index) const override {
        return index == 0 ? "TABLE_TYPE" : "TABLE_NAME";
    }
    bool AtEnd() const override { return at_ >= rows_.size(); }
    void MoveNext() override { ++at_; }
    std::string Value(int index) const override {
        return index == 0 ? rows_.at(at_).first : rows_.at(at_).second;
    }
    std::string Value(const std::string& name) const override {
        return Value(name == "TABLE_TYPE" ? 0 : 1);
    }
    bool IsNull(int) const override { return false; }
    void Close() override {}

  private:
    std::vector<std::pair<std::string, std::string>> rows_;
    size_t at_ = 0;
};

class FakeSession : public DatabaseSession {
  public:
    explicit FakeSession(FakeSessionFactory& factory) : factory_(factory) {}
    int State() const override { return open_ ? 1 : 0; }
    int Mode() const override { return mode_; }
    void SetMode(int mode) override { mode_ = mode; }
    void Open(const std::string& connectionString) override {
        const auto target = ParseConnectionString(connectionString);
        auto file = factory_.files.find(target.path);
        if (file == factory_.files.end()) {
            throw DatabaseError(3044, "'" + target.path + "' is not a valid path.");
        }
        if (file->second.openError) {
            throw *file->second.openError;
        }
        if (file->second.password != target.password) {
            throw DatabaseError(3031, "Not a valid password.");
        }
        path_ = target.path;
        open_ = true;
        ++factory_.opened;
    }
    void Execute(const std::string& statement) override { factory_.executed.push_back(statement); }
    std::unique_ptr<Recordset> OpenTableSchema(int) override {
        if (!open_) {
            throw DatabaseError(3704, "Operation is not allowed when the object is closed.");
        }
        return std::make_unique<FakeSchemaRows>(factory_.files.at(path_).schemaRows);
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string&, int, int) override {
        throw DatabaseError(3078, "The fake engine has no tables to query.");
    }
    void Close() override {
        if (open_) {
            ++factory_.closed;
        }
        open_ = false;
    }

  private:
    FakeSessionFactory& factory_;
    bool open_ = false;
    int mode_ = 0;
    std::string path_;
};

inline std::unique_ptr<DatabaseSession> FakeSessionFactory::Create() {
    if (createError) {
        throw *createError;
    }
    ++created;
    return std::make_unique<FakeSession>(*this);
}

}  // namespace quillmere::testing

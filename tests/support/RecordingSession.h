#pragma once
// A database session for tests: records every call in order, keeps a small model of the tables
// (created by CREATE TABLE, filled by INSERT INTO) and fails any call on command.
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/DatabaseSession.h"

namespace quillmere::testing {

struct RecordedTable {
    std::string name;
    int columns = 0;
    std::vector<std::vector<std::string>> rows;
};

// The database the sessions of one factory share.
struct RecordedDatabase {
    // Every call as text, in order: "Create", "State", "Close", "SetMode 3", "Open <string>",
    // "Execute <statement>", "OpenRecordset <query> <cursor> <lock>", "OpenTableSchema <kind>".
    std::vector<std::string> calls;
    // The statements that took effect.
    std::vector<std::string> executed;
    // Tables by lower-case name; tests add existing tables here.
    std::map<std::string, RecordedTable> tables;
    // System tables the schema rowset lists besides the user tables.
    std::vector<std::string> systemTables = {"MSysObjects", "MSysACEs"};
    // When set, statements are checked against the tables: an INSERT into a missing table or
    // with the wrong number of values fails, and so does creating a table twice.
    bool checkStatements = false;
    // Fails the call whose text it accepts, with this number and description.
    std::function<bool(const std::string& call)> failWhen;
    long failureNumber = 3000;
    std::string failureText = "The statement was rejected.";

    void AddTable(const std::string& name, int columns) {
        tables[Lower(name)] = RecordedTable{name, columns, {}};
    }
    const RecordedTable* Table(const std::string& name) const {
        const auto found = tables.find(Lower(name));
        return found == tables.end() ? nullptr : &found->second;
    }
    // The calls that start with prefix, e.g. "Execute ".
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> matching;
        for (const auto& call : calls) {
            if (call.rfind(prefix, 0) == 0) {
                matching.push_back(call.substr(prefix.size()));
            }
        }
        return matching;
    }

    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    // Records a call and throws when the test asked for it to fail.
    void Record(const std::string& call) {
        calls.push_back(call);
        if (failWhen && failWhen(call)) {
            throw DatabaseError(failureNumber, failureText);
        }
    }
};

// Rows held in memory, read forward.
class VectorRecordset : public Recordset {
  public:
    VectorRecordset(std::vector<std::string> fields, std::vector<std::vector<std::string>> rows)
        : fields_(std::move(fields)), rows_(std::move(rows)) {}
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override { return fields_.at(Index(index)); }
    bool AtEnd() const override { return row_ >= rows_.size(); }
    void MoveNext() override { ++row_; }
    std::string Value(int index) const override { return rows_.at(row_).at(Index(index)); }
    std::string Value(const std::string& fieldName) const override {
        const auto at = std::find(fields_.begin(), fields_.end(), fieldName);
        if (at == fields_.end()) {
            throw DatabaseError(3265, "Item cannot be found in the collection: " + fieldName);
        }
        return Value(static_cast<int>(at - fields_.begin()));
    }
    bool IsNull(int) const override { return false; }
    void Close() override {}

  private:
    static size_t Index(int index) { return static_cast<size_t>(index); }
    std::vector<std::string> fields_;
    std::vector<std::vector<std::string>> rows_;
    size_t row_ = 0;
};

class RecordingSession : public DatabaseSession {
  public:
    explicit RecordingSession(std::shared_ptr<RecordedDatabase> database)
        : db_(std::move(database)) {}

    int State() const override {
        db_->Record("State");
        return open_ ? 1 : 0;
    }
    int Mode() const override { return mode_; }
    void SetMode(int mode) override {
        db_->Record("SetMode " + std::to_string(mode));
        mode_ = mode;
    }
    void Open(const std::string& connectionString) override {
        db_->Record("Open " + connectionString);
        if (open_) {
            throw DatabaseError(3705, "Operation is not allowed when the object is open.");
        }
        open_ = true;
    }
    void Execute(const std::string& statement) override {
        db_->Record("Execute " + statement);
        RequireOpen();
        if (db_->checkStatements) {
            Apply(statement);
        }
        db_->executed.push_back(statement);
    }
    std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) override {
        db_->Record("OpenTableSchema " + std::to_string(schemaKind));
        RequireOpen();
        std::vector<std::vector<std::string>> rows;
        for (const auto& name : db_->systemTables) {
            rows.push_back({"SYSTEM TABLE", name});
        }
        for (const auto& [key, table] : db_->tables) {
            rows.push_back({"TABLE", table.name});
        }
        return std::make_unique<VectorRecordset>(
            std::vector<std::string>{"TABLE_TYPE", "TABLE_NAME"}, std::move(rows));
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                             int lockType) override {
        db_->Record("OpenRecordset " + query + " " + std::to_string(cursorType) + " " +
                    std::to_string(lockType));
        RequireOpen();
        const std::string prefix = "SELECT * FROM `";
        if (query.rfind(prefix, 0) != 0 || query.back() != '`') {
            throw DatabaseError(3131, "Syntax error in FROM clause.");
        }
        const auto name = query.substr(prefix.size(), query.size() - prefix.size() - 1);
        const auto* table = db_->Table(name);
        if (table == nullptr) {
            throw MissingTable(name);
        }
        std::vector<std::string> fields;
        for (int i = 1; i <= table->columns; ++i) {
            fields.push_back("Column" + std::to_string(i));
        }
        return std::make_unique<VectorRecordset>(std::move(fields), table->rows);
    }
    void Close() override {
        db_->Record("Close");
        open_ = false;
    }

  private:
    void RequireOpen() const {
        if (!open_) {
            throw DatabaseError(3704, "Operation is not allowed when the object is closed.");
        }
    }

    static DatabaseError MissingTable(const std::string& name) {
        return DatabaseError(
            3078, "The database engine cannot find the input table or query '" + name + "'.");
    }

    // Applies a statement of the two shapes the import sends to the table model.
    void Apply(const std::string& statement) {
        const std::string create = "CREATE TABLE `";
        const std::string insert = "INSERT INTO `";
        if (statement.rfind(create, 0) == 0) {
            const auto end = statement.find("`(", create.size());
            if (end == std::string::npos) {
                throw DatabaseError(3290, "Syntax error in CREATE TABLE statement.");
            }
            const auto name = statement.substr(create.size(), end - create.size());
            if (db_->Table(name) != nullptr) {
                throw DatabaseError(3010, "Table '" + name + "' already exists.");
            }
            int columns = 0;
            for (const std::string type : {"` VARCHAR", "` LONGTEXT"}) {
                for (auto at = statement.find(type); at != std::string::npos;
                     at = statement.find(type, at + 1)) {
                    ++columns;
                }
                if (statement.find("`" + type) != std::string::npos) {
                    throw DatabaseError(3290, "Syntax error in field definition.");
                }
            }
            db_->AddTable(name, columns);
        } else if (statement.rfind(insert, 0) == 0) {
            const auto end = statement.find("` VALUES(", insert.size());
            if (end == std::string::npos) {
                throw DatabaseError(3134, "Syntax error in INSERT INTO statement.");
            }
            const auto name = statement.substr(insert.size(), end - insert.size());
            auto found = db_->tables.find(RecordedDatabase::Lower(name));
            if (found == db_->tables.end()) {
                throw MissingTable(name);
            }
            auto values = Values(statement.substr(end + 9));
            if (static_cast<int>(values.size()) != found->second.columns) {
                throw DatabaseError(3346,
                                    "Number of query values and destination fields are not the "
                                    "same.");
            }
            found->second.rows.push_back(std::move(values));
        }
    }

    // The quoted literals of "'a','b''c');" as values.
    static std::vector<std::string> Values(const std::string& list) {
        std::vector<std::string> values;
        size_t i = 0;
        while (i < list.size() && list[i] == '\'') {
            std::string value;
            for (++i; i < list.size(); ++i) {
                if (list[i] == '\'') {
                    if (i + 1 < list.size() && list[i + 1] == '\'') {
                        value.push_back('\'');
                        ++i;
                        continue;
                    }
                    break;
                }
                value.push_back(list[i]);
            }
            values.push_back(std::move(value));
            i += 2;  // the closing apostrophe and the comma (or the parenthesis)
        }
        return values;
    }

    std::shared_ptr<RecordedDatabase> db_;
    bool open_ = false;
    int mode_ = 0;
};

class RecordingSessionFactory : public SessionFactory {
  public:
    RecordingSessionFactory() : database(std::make_shared<RecordedDatabase>()) {}
    std::unique_ptr<DatabaseSession> Create() override {
        database->Record("Create");
        return std::make_unique<RecordingSession>(database);
    }
    std::shared_ptr<RecordedDatabase> database;
};

}  // namespace quillmere::testing

// Statement execution: SELECT reads; CREATE TABLE and INSERT INTO go to the writer.
#include "accessdb/Database.h"
#include "accessdb/sql/SqlParser.h"
#include "accessdb/write/Writer.h"

namespace accessdb {

void Database::Execute(const std::string& sql) {
    thread_local sql::Statement statement;
    try {
        sql::ParseStatementInto(sql, statement);
    } catch (const sql::SqlSyntaxError& e) {
        throw Error(ErrorKind::Syntax, e.what(), e.number());
    }
    if (const auto* select = std::get_if<sql::SelectAll>(&statement)) {
        auto cursor = OpenTable(select->table);
        while (cursor->Next()) {
        }
        return;
    }
    if (!writer_) {
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() +
                                             "' is open for reading only; \"" + sql.substr(0, 60) +
                                             (sql.size() > 60 ? "...\"" : "\"") +
                                             " cannot be executed.");
    }
    Guard([&] {
        if (const auto* create = std::get_if<sql::CreateTable>(&statement)) {
            writer_->CreateTable(*create);
        } else {
            writer_->Insert(std::get<sql::InsertInto>(statement));
        }
        return 0;
    });
}

}  // namespace accessdb

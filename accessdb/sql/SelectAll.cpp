// The one query shape the reader answers, SELECT * FROM <table>, read by the statement parser.
#include "accessdb/Database.h"
#include "accessdb/sql/SqlParser.h"

namespace accessdb {

std::string ParseSelectAll(const std::string& sql) {
    sql::Statement statement;
    try {
        sql::ParseStatementInto(sql, statement);
    } catch (const sql::SqlSyntaxError& e) {
        if (e.number() == 3129) {  // not a statement the parser knows at all
            throw Error(ErrorKind::NotSupported,
                        "Only SELECT * FROM <table> can be read: \"" + sql + "\".", e.number());
        }
        throw Error(ErrorKind::Syntax, e.what(), e.number());
    }
    if (const auto* select = std::get_if<sql::SelectAll>(&statement))
        return select->table;
    throw Error(ErrorKind::NotSupported,
                "Only SELECT * FROM <table> can be read: \"" + sql + "\".");
}

}  // namespace accessdb

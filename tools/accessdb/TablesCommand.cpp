// accessdb tables [--all] FILE: user table names, or every schema row as TYPE<tab>NAME.
#include <ostream>

#include "accessdb/Database.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

int RunTables(Invocation& inv) {
    if (inv.args.size() != 1)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb tables [--all] FILE");
    auto db = accessdb::Database::Open(inv.args[0], inv.password);
    for (const auto& row : db->SchemaRows()) {
        if (inv.HasFlag("--all"))
            inv.out << row.tableType << '\t' << row.tableName << '\n';
        else if (row.tableType == "TABLE")
            inv.out << row.tableName << '\n';
    }
    return 0;
}

const RegisterCommand registration{
    Command{"tables",
            "FILE",
            "User tables, one a line; --all: every schema row as TABLE_TYPE<tab>TABLE_NAME.",
            {"--all"},
            RunTables}};

}  // namespace
}  // namespace accessdb_tool

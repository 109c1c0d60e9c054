// accessdb sql FILE STATEMENT...: runs statements in order, each complete or absent; a SELECT
// prints its rows as CSV.
#include <ostream>

#include "accessdb/Database.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

void PrintCsvField(std::ostream& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out << text;
        return;
    }
    out << '"';
    for (const char c : text) {
        out << c;
        if (c == '"')
            out << '"';
    }
    out << '"';
}

int RunSql(Invocation& inv) {
    if (inv.args.size() < 2)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb sql FILE STATEMENT...");
    auto db = accessdb::Database::Open(inv.args[0], inv.password, accessdb::OpenMode::ReadWrite);
    for (std::size_t i = 1; i < inv.args.size(); ++i) {
        const std::string& statement = inv.args[i];
        const std::size_t start = statement.find_first_not_of(" \t\r\n");
        const bool select = start != std::string::npos && statement.size() - start >= 6 &&
                            (statement.compare(start, 6, "SELECT") == 0 ||
                             statement.compare(start, 6, "select") == 0);
        if (!select) {
            db->Execute(statement);
            continue;
        }
        auto cursor = db->OpenQuery(statement);
        const auto& columns = cursor->Table().columns;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c)
                inv.out << ',';
            PrintCsvField(inv.out, columns[c].name);
        }
        inv.out << '\n';
        while (cursor->Next()) {
            const auto& row = cursor->Row();
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c)
                    inv.out << ',';
                PrintCsvField(inv.out, accessdb::FormatValue(row[c]));
            }
            inv.out << '\n';
        }
    }
    db->Close();
    return 0;
}

const RegisterCommand registration{Command{
    "sql",
    "FILE STATEMENT...",
    "Runs CREATE TABLE, INSERT INTO and SELECT * FROM statements, in order; SELECT prints CSV.",
    {},
    RunSql}};

}  // namespace
}  // namespace accessdb_tool

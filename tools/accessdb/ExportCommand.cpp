// accessdb export FILE TABLE: the table as RFC 4180 CSV in UTF-8 with a header line.
#include <ostream>

#include "accessdb/Database.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

void WriteField(std::ostream& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out << text;
        return;
    }
    out << '"';
    for (char c : text) {
        if (c == '"')
            out << '"';
        out << c;
    }
    out << '"';
}

int RunExport(Invocation& inv) {
    if (inv.args.size() != 2)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb export FILE TABLE");
    auto db = accessdb::Database::Open(inv.args[0], inv.password);
    auto cursor = db->OpenTable(inv.args[1]);
    const auto& columns = cursor->Table().columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i)
            inv.out << ',';
        WriteField(inv.out, columns[i].name);
    }
    inv.out << "\r\n";
    db->Guard([&] {
        while (cursor->Next()) {
            const auto& row = cursor->Row();
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i)
                    inv.out << ',';
                WriteField(inv.out, accessdb::FormatValue(row[i]));
            }
            inv.out << "\r\n";
        }
        return 0;
    });
    return 0;
}

const RegisterCommand registration{
    Command{"export",
            "FILE TABLE",
            "The rows of a table as CSV (UTF-8, header line, RFC 4180).",
            {},
            RunExport}};

}  // namespace
}  // namespace accessdb_tool

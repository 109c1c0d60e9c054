// accessdb check FILE: the structural validator; exit 0 when clean, 1 with the findings.
#include <ostream>

#include "accessdb/Database.h"
#include "accessdb/check/DatabaseCheck.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

int RunCheck(Invocation& inv) {
    if (inv.args.size() != 1)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb check FILE");
    auto db = accessdb::Database::Open(inv.args[0], inv.password);
    const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
    for (const std::string& finding : report.findings)
        inv.out << finding << '\n';
    inv.out << (report.findings.empty() ? "OK: " : "FAILED: ") << report.tables << " tables, "
            << report.rows << " rows, " << report.indexes << " indexes (" << report.indexesCompared
            << " compared with their rows), " << report.findings.size() << " findings\n";
    return report.findings.empty() ? 0 : 1;
}

const RegisterCommand registration{
    Command{"check",
            "FILE",
            "Checks the file's structure: pages, usage maps, rows, row counts, indexes.",
            {},
            RunCheck}};

}  // namespace
}  // namespace accessdb_tool

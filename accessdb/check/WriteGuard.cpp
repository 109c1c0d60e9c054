#include "accessdb/check/WriteGuard.h"

#include <string>

#include "accessdb/Database.h"
#include "accessdb/check/TableCheck.h"

namespace accessdb {

void WriteGuard::BeforeChange(const TableDef& table) {
    if (verified_.count(table.page) != 0) {
        return;
    }
    // Access lets the row counts of some of its own system tables drift; the catalog's and the
    // user tables' are exact.
    bool countKept = true;
    if (table.page != kSystemCatalogPage) {
        const CatalogObject* object = database_.GetCatalog().Find(table.name);
        countKept = object == nullptr || (object->flags & kObjectSystemFlags) == 0;
    }
    CheckReport report;
    StructureCheck check(database_.Pages(), report);
    check.LoadGlobalMap();
    check.CheckTable(table.name, table.page, countKept);
    if (!report.findings.empty()) {
        const std::size_t more = report.findings.size() - 1;
        throw Error(ErrorKind::Damaged,
                    "The database '" + database_.Path() + "' is damaged and was not changed: " +
                        report.findings.front() + " (table '" + table.name +
                        "' has its definition at page " + std::to_string(table.page) +
                        (more == 0 ? std::string()
                                   : "; " + std::to_string(more) + " more finding" +
                                         (more == 1 ? "" : "s") + " in it") +
                        ").");
    }
    verified_.insert(table.page);
}

}  // namespace accessdb

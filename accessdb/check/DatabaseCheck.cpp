#include "accessdb/check/DatabaseCheck.h"

#include <vector>

#include "accessdb/Database.h"
#include "accessdb/check/TableCheck.h"

namespace accessdb {

namespace {

struct TableToCheck {
    std::string name;
    std::uint32_t page = 0;
    bool countKept = true;  // user tables and the catalog: the stored row count must be exact
};

}  // namespace

CheckReport CheckDatabase(Database& database) {
    CheckReport report;
    PageFile& pages = database.Pages();
    if (pages.Read(0)->Type() != kPageHeader) {
        report.findings.push_back("page 0 is not a database header page");
    }
    StructureCheck check(pages, report, &database);
    check.LoadGlobalMap();
    std::vector<TableToCheck> tables{{"MSysObjects", kSystemCatalogPage, true}};
    try {
        for (const CatalogObject& o : database.GetCatalog().Objects()) {
            if (o.type == kObjectLocalTable && o.parentId == database.GetCatalog().TablesId() &&
                o.TableDefPage() != kSystemCatalogPage) {
                tables.push_back({o.name, o.TableDefPage(), (o.flags & kObjectSystemFlags) == 0});
            }
        }
    } catch (const Error& e) {
        report.findings.push_back(std::string("the catalog cannot be read: ") + e.what());
    }
    for (const TableToCheck& table : tables) {
        check.CheckTable(table.name, table.page, table.countKept);
    }
    return report;
}

}  // namespace accessdb

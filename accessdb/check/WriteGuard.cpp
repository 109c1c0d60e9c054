#include "accessdb/check/WriteGuard.h"

#include <string>

#include "accessdb/Database.h"
#include "accessdb/UsageMap.h"
#include "accessdb/check/TableCheck.h"

namespace accessdb {

namespace {

// Whether the table whose definition starts at `owner` lists `page` among its data or index
// pages. A stale owner field (no definition there any more, or garbage) owns nothing.
bool TableOwns(PageFile& pages, std::uint32_t owner, std::uint32_t page, bool index) {
    try {
        if (owner < kSystemCatalogPage || owner >= pages.PageCount() ||
            pages.Read(owner)->Type() != kPageTableDef) {
            return false;
        }
        const TableDef def = TableDef::Load(pages, owner, "page " + std::to_string(owner));
        if (!index) {
            return UsageMap::Load(pages, def.ownedMap).Contains(page);
        }
        for (const RealIndex& real : def.realIndexes) {
            if (UsageMap::Load(pages, real.ownedMap).Contains(page)) {
                return true;
            }
        }
    } catch (const Error&) {
        // A definition or map that cannot be read claims nothing here.
    }
    return false;
}

}  // namespace

void RequireUnownedFreePage(PageFile& pages, std::uint32_t page) {
    const PageRef content = pages.Read(page);
    const std::uint8_t type = content->Type();
    if (type != kPageData && type != kPageIndexNode && type != kPageIndexLeaf) {
        return;
    }
    const std::uint32_t owner = LoadU32(content->bytes.data() + 4);
    if (TableOwns(pages, owner, page, type != kPageData)) {
        throw Error(ErrorKind::Damaged,
                    "The database '" + pages.Path() + "' is damaged and was not changed: page " +
                        std::to_string(page) +
                        " is marked free in the global usage map, but the table defined at page " +
                        std::to_string(owner) + " still uses it.");
    }
}

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

// Reading MSysObjects and building the tables rowset.
#include "accessdb/Catalog.h"

#include <algorithm>

#include "accessdb/TableCursor.h"

namespace accessdb {

std::unique_ptr<Catalog> Catalog::Load(PageFile& pages) {
    auto catalog = std::make_unique<Catalog>();
    catalog->msysObjects_ =
        std::make_shared<TableDef>(TableDef::Load(pages, kSystemCatalogPage, "MSysObjects"));
    const TableDef& def = *catalog->msysObjects_;
    auto column = [&](const char* name) -> int {
        for (std::size_t i = 0; i < def.columns.size(); ++i)
            if (EqualsIgnoreCase(def.columns[i].name, name))
                return static_cast<int>(i);
        return -1;
    };
    int id = column("Id"), parent = column("ParentId"), name = column("Name"),
        type = column("Type"), flags = column("Flags"), database = column("Database"),
        connect = column("Connect"), foreign = column("ForeignName");
    if (id < 0 || parent < 0 || name < 0 || type < 0)
        ThrowDamaged("the system catalog MSysObjects lacks its Id, ParentId, Name or Type column");
    TableCursor cursor(pages, catalog->msysObjects_);
    while (cursor.Next()) {
        const auto& row = cursor.Row();
        CatalogObject o;
        o.id = static_cast<std::int32_t>(row[static_cast<std::size_t>(id)].integer);
        o.parentId = static_cast<std::int32_t>(row[static_cast<std::size_t>(parent)].integer);
        o.name = row[static_cast<std::size_t>(name)].text;
        o.type = static_cast<int>(row[static_cast<std::size_t>(type)].integer & 0x7F);
        if (flags >= 0)
            o.flags = static_cast<std::uint32_t>(row[static_cast<std::size_t>(flags)].integer);
        if (database >= 0)
            o.database = row[static_cast<std::size_t>(database)].text;
        if (connect >= 0)
            o.connect = row[static_cast<std::size_t>(connect)].text;
        if (foreign >= 0)
            o.foreignName = row[static_cast<std::size_t>(foreign)].text;
        o.row = cursor.Position();
        catalog->objects_.push_back(std::move(o));
    }
    for (const auto& o : catalog->objects_) {
        if (o.parentId == kDatabaseParentId && o.name == "Tables")
            catalog->tablesId_ = o.id;
    }
    return catalog;
}

std::string Catalog::TableType(const CatalogObject& o) {
    switch (o.type) {
        case kObjectLocalTable:
            if (o.flags & kObjectJetSystemFlag)
                return "SYSTEM TABLE";
            if (o.flags & kObjectAccessSystemFlag)
                return "ACCESS TABLE";
            return "TABLE";
        case kObjectLinkedTable:
            return "LINK";
        case kObjectLinkedOdbcTable:
            return "PASS-THROUGH";
        case kObjectQuery:
            // Select queries only (kind 0 in bits 4..7); action, crosstab, union and pass-through
            // queries are procedures, and hidden system queries stay out.
            if ((o.flags & 0xF0) == 0 && (o.flags & kObjectSystemFlags) == 0)
                return "VIEW";
            return "";
        default:
            return "";
    }
}

std::vector<SchemaRow> Catalog::SchemaRows() const {
    std::vector<SchemaRow> rows;
    for (const auto& o : objects_) {
        if (o.parentId != tablesId_)
            continue;
        std::string type = TableType(o);
        if (!type.empty())
            rows.push_back(SchemaRow{type, o.name, &o});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SchemaRow& a, const SchemaRow& b) {
        if (a.tableType != b.tableType)
            return a.tableType < b.tableType;
        int c = CompareIgnoreCase(a.tableName, b.tableName);
        if (c != 0)
            return c < 0;
        return a.tableName < b.tableName;
    });
    return rows;
}

const CatalogObject* Catalog::Find(const std::string& name) const {
    for (const auto& o : objects_) {
        if (o.parentId == tablesId_ && EqualsIgnoreCase(o.name, name) &&
            (o.type == kObjectLocalTable || o.type == kObjectQuery ||
             o.type == kObjectLinkedTable || o.type == kObjectLinkedOdbcTable))
            return &o;
    }
    return nullptr;
}

}  // namespace accessdb

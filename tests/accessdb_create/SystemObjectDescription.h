#pragma once
// A database's engine-level system objects as lines of text, read through our own reader:
// the system tables with their columns, flags and indexes, their rows, the catalog rows and
// access-control entries of those objects and MSysDb's AccessVersion. Ids, dates, GUIDs, page
// numbers and the order of rows are left out, so that two databases made apart compare equal
// when their objects agree.
#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "accessdb/Database.h"
#include "accessdb/PropertyBlob.h"

namespace create_test {

// Objects of the Access application that the engine does not write: left out of the
// comparison (names starting so).
inline bool IsApplicationObject(const std::string& name) {
    for (const char* prefix : {"f_", "MSysWSDP", "MSysNavPane", "MSysAccessStorage",
                               "MSysResources", "MSysModules", "MSysAccessObjects"}) {
        if (name.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return accessdb::FormatHex(bytes);
}

struct Description {
    std::vector<std::string> lines;
    accessdb::SortOrder headerSortOrder;
    std::string accessVersion;  // MSysDb's AccessVersion property, "" when absent
};

// The lines only one side has, marked "+" (made) and "-" (expected); "" when both agree.
inline std::string Difference(const std::vector<std::string>& made,
                              const std::vector<std::string>& expected) {
    std::multiset<std::string> a(made.begin(), made.end()), b(expected.begin(), expected.end());
    std::string out;
    for (const std::string& line : a) {
        if (b.count(line) < a.count(line) && out.find("+ " + line + "\n") == std::string::npos)
            out += "+ " + line + "\n";
    }
    for (const std::string& line : b) {
        if (a.count(line) < b.count(line) && out.find("- " + line + "\n") == std::string::npos)
            out += "- " + line + "\n";
    }
    return out;
}

inline std::string IndexColumns(const accessdb::TableDef& def, const accessdb::RealIndex& index) {
    std::string out;
    for (const accessdb::ColumnDef* column : def.IndexColumns(index))
        out += column->name + ",";
    for (const accessdb::IndexColumn& column : index.columns)
        out += column.ascending ? "A" : "D";
    return out;
}

inline void DescribeTable(accessdb::Database& db, const accessdb::TableDef& def, bool listRows,
                          const std::set<std::int32_t>& engineIds, Description& d) {
    std::ostringstream t;
    t << "TABLE " << def.name << " type=" << int(def.tableType) << " maxcols=" << def.maxColumns
      << " varcols=" << def.varColumns << " cols=" << def.columnCount;
    d.lines.push_back(t.str());
    for (const accessdb::ColumnDef& c : def.columns) {
        std::ostringstream l;
        l << "  COLUMN " << def.name << "." << c.name << " type=" << int(c.type)
          << " no=" << c.number << " var=" << c.varIndex
          << " fixed=" << (c.IsFixed() ? c.fixedOffset : 0) << " len=" << c.length
          << " flags=" << int(c.flags) << " ext=" << int(c.extFlags) << " block=" << c.blockIndex
          << " prec=" << int(c.precision) << " scale=" << int(c.scale)
          << " lvmaps=" << (c.longValueOwnedMap.has_value() && c.longValueFreeMap.has_value());
        if (c.type != accessdb::ColumnType::Numeric) {
            l << " sort=" << (c.sortOrder == d.headerSortOrder ? "database" : "other");
        }
        d.lines.push_back(l.str());
    }
    for (const accessdb::RealIndex& index : def.realIndexes) {
        d.lines.push_back("  INDEX " + def.name + " #" + std::to_string(index.number) + " " +
                          IndexColumns(def, index) + " flags=" + std::to_string(index.flags));
    }
    for (const accessdb::LogicalIndex& index : def.logicalIndexes) {
        std::ostringstream l;
        l << "  LOGICAL " << def.name << "." << index.name << " no=" << index.number
          << " real=" << index.realIndex << " type=" << int(index.type)
          << " related=" << index.relatedIndex << " side=" << int(index.relatedSide);
        d.lines.push_back(l.str());
    }
    if (!listRows)
        return;
    auto cursor = db.OpenTable(def.name);
    std::vector<std::string> rows;
    while (cursor->Next()) {
        std::string row;
        bool engine = true;
        const auto& values = cursor->Row();
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string& column = def.columns[i].name;
            // The complex-column catalog points at tables by id: rows for Access's own tables
            // are Access's.
            if ((column == "ConceptualTableID" || column == "FlatTableID") &&
                engineIds.count(static_cast<std::int32_t>(values[i].integer)) == 0) {
                engine = false;
            }
            // Relationships between Access's own tables are Access's.
            if ((column == "szObject" || column == "szReferencedObject") &&
                IsApplicationObject(values[i].text)) {
                engine = false;
            }
            if (column.find("ID") != std::string::npos)
                continue;
            row += column + "=" + accessdb::FormatValue(values[i]) + " ";
        }
        if (engine)
            rows.push_back("  ROW " + def.name + " " + row);
    }
    std::sort(rows.begin(), rows.end());
    d.lines.insert(d.lines.end(), rows.begin(), rows.end());
}

inline Description Describe(const std::string& path, const std::string& password = "") {
    auto db = accessdb::Database::Open(path, password);
    Description d;
    d.headerSortOrder = db->Info().sortOrder;
    const accessdb::DatabaseInfo info = db->Info();
    d.lines.push_back("HEADER code page=" + std::to_string(info.codePage) +
                      " encryption=" + accessdb::EncryptionName(info.encryption) +
                      " page size=" + std::to_string(info.pageSize));

    const accessdb::Catalog& catalog = db->GetCatalog();
    std::map<std::int32_t, std::string> names;
    names[accessdb::kDatabaseParentId] = "(root)";
    std::set<std::int32_t> engineIds;
    for (const accessdb::CatalogObject& o : catalog.Objects()) {
        names[o.id] = o.name;
        const bool container =
            o.parentId == accessdb::kDatabaseParentId && o.type == 3 && (o.flags & 0x80000000u);
        if (container || o.name == "MSysDb" ||
            ((o.flags & 0x80000000u) && !IsApplicationObject(o.name))) {
            engineIds.insert(o.id);
        }
    }

    // The catalog rows of the engine's objects.
    auto def = catalog.SystemCatalogDefShared();
    accessdb::TableCursor cursor(db->Pages(), def);
    auto column = [&](const char* name) {
        const accessdb::ColumnDef* c = def->FindColumn(name);
        return static_cast<std::size_t>(c - def->columns.data());
    };
    std::vector<std::string> objects;
    while (cursor.Next()) {
        const auto& row = cursor.Row();
        const auto id = static_cast<std::int32_t>(row[column("Id")].integer);
        if (engineIds.count(id) == 0)
            continue;
        const std::string& name = row[column("Name")].text;
        objects.push_back("OBJECT " + name + " parent=" +
                          names[static_cast<std::int32_t>(row[column("ParentId")].integer)] +
                          " type=" + std::to_string(row[column("Type")].integer) +
                          " flags=" + std::to_string(row[column("Flags")].integer) +
                          " owner=" + Hex(row[column("Owner")].bytes));
        const accessdb::Value& props = row[column("LvProp")];
        if (name == "MSysDb" && !props.null) {
            for (const accessdb::Property& p :
                 accessdb::ReadPropertyBlob(props.bytes, db->Pages().Header().codePage)) {
                if (p.object.empty() && p.name == "AccessVersion")
                    d.accessVersion = p.Text();
            }
        }
    }
    std::sort(objects.begin(), objects.end());
    d.lines.insert(d.lines.end(), objects.begin(), objects.end());

    // Their access-control entries.
    std::vector<std::string> aces;
    auto aceCursor = db->OpenTable("MSysACEs");
    while (aceCursor->Next()) {
        const auto& row = aceCursor->Row();
        const auto id = static_cast<std::int32_t>(row[0].integer);
        if (engineIds.count(id) == 0)
            continue;
        aces.push_back("ACE " + names[id] + " sid=" + Hex(row[1].bytes) + " acm=" +
                       std::to_string(row[2].integer) + " inherit=" + (row[3].boolean ? "1" : "0"));
    }
    std::sort(aces.begin(), aces.end());
    d.lines.insert(d.lines.end(), aces.begin(), aces.end());

    // The system tables, with the rows of all but the two whose rows are listed above.
    for (const accessdb::SchemaRow& schema : db->SchemaRows()) {
        if (schema.tableType != "SYSTEM TABLE" || IsApplicationObject(schema.tableName))
            continue;
        const bool listRows = schema.tableName != "MSysObjects" && schema.tableName != "MSysACEs";
        DescribeTable(*db, *db->Table(schema.tableName), listRows, engineIds, d);
    }
    return d;
}

}  // namespace create_test

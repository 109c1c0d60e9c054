// accessdb schema FILE [TABLE]: columns and indexes of one or every user table.
#include <ostream>

#include "accessdb/Database.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

void PrintColumn(std::ostream& out, const accessdb::ColumnDef& c, const accessdb::Format& f) {
    out << "  COLUMN " << c.name << ' ' << accessdb::ColumnTypeName(c.type);
    if (c.type == accessdb::ColumnType::Text || c.type == accessdb::ColumnType::Binary)
        out << '(' << c.Size(f.Unicode()) << ')';
    if (c.type == accessdb::ColumnType::Numeric)
        out << '(' << static_cast<int>(c.precision) << ',' << static_cast<int>(c.scale) << ')';
    if (c.flags & accessdb::kColumnAutoLong)
        out << " AUTONUMBER";
    if (c.flags & accessdb::kColumnAutoGuid)
        out << " AUTONUMBER-GUID";
    if (c.IsHyperlink())
        out << " HYPERLINK";
    if (c.IsCalculated())
        out << " CALCULATED";
    if (c.IsCompressedUnicode())
        out << " COMPRESSED";
    if (c.type == accessdb::ColumnType::Text || c.type == accessdb::ColumnType::Memo)
        out << " SORT " << accessdb::SortOrderName(c.sortOrder, f);
    out << " (#" << c.number << ")\n";
}

void PrintTable(std::ostream& out, accessdb::Database& db, const std::string& name) {
    auto t = db.Table(name);
    out << "TABLE " << t->name << " (" << t->columnCount << " columns, " << t->rowCount << " rows";
    if (t->autoNumber)
        out << ", last autonumber " << t->autoNumber;
    out << ")\n";
    for (const auto& c : t->columns)
        PrintColumn(out, c, db.format());
    for (const auto& li : t->logicalIndexes) {
        const accessdb::RealIndex& ri = t->realIndexes[li.realIndex];
        out << "  INDEX " << li.name << " (";
        for (std::size_t k = 0; k < ri.columns.size(); ++k) {
            const accessdb::ColumnDef* c = nullptr;
            for (const auto& col : t->columns)
                if (col.number == ri.columns[k].columnNumber)
                    c = &col;
            out << (k ? ", " : "")
                << (c ? c->name : "#" + std::to_string(ri.columns[k].columnNumber))
                << (ri.columns[k].ascending ? " ASC" : " DESC");
        }
        out << ")";
        if (li.IsPrimaryKey())
            out << " PRIMARY";
        if (ri.Unique())
            out << " UNIQUE";
        if (ri.IgnoreNulls())
            out << " IGNORE NULLS";
        if (ri.Required())
            out << " REQUIRED";
        // Text keys are ordered by their column's sort order.
        for (const accessdb::ColumnDef* c : t->IndexColumns(ri)) {
            if (c->type == accessdb::ColumnType::Text || c->type == accessdb::ColumnType::Memo) {
                out << " SORT " << accessdb::SortOrderName(c->sortOrder, db.format());
                break;
            }
        }
        if (li.IsForeignKey()) {
            out << " FOREIGN KEY";
            for (const auto& o : db.GetCatalog().Objects())
                if (o.type == accessdb::kObjectLocalTable && o.TableDefPage() == li.relatedTable)
                    out << " -> " << o.name;
            if (li.cascadeUpdates)
                out << " CASCADE UPDATES";
            if (li.cascadeDeletes)
                out << " CASCADE DELETES";
        }
        out << '\n';
    }
}

int RunSchema(Invocation& inv) {
    if (inv.args.empty() || inv.args.size() > 2)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb schema FILE [TABLE]");
    auto db = accessdb::Database::Open(inv.args[0], inv.password);
    if (inv.args.size() == 2) {
        PrintTable(inv.out, *db, inv.args[1]);
        return 0;
    }
    for (const auto& name : db->UserTableNames())
        PrintTable(inv.out, *db, name);
    return 0;
}

const RegisterCommand registration{
    Command{"schema",
            "FILE [TABLE]",
            "Columns and indexes of every user table, or of one table.",
            {},
            RunSchema}};

}  // namespace
}  // namespace accessdb_tool

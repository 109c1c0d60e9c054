// Statement execution: parsing, literal conversion, then the engine's typed operations.
#include "accessdb/sql/Execute.h"

#include "accessdb/Database.h"
#include "accessdb/sql/LiteralConversion.h"
#include "accessdb/sql/SqlParser.h"

namespace accessdb::sql {

namespace {

constexpr long kValueCount = 3346;
constexpr long kUnknownField = 3127;

accessdb::ColumnDefinition ToColumn(const ColumnDefinition& column) {
    accessdb::ColumnDefinition out;
    out.name = column.name;
    out.size = column.size;
    switch (column.kind) {
        case ColumnKind::Text:
            out.type = ColumnType::Text;
            break;
        case ColumnKind::Memo:
            out.type = ColumnType::Memo;
            break;
        case ColumnKind::Byte:
            out.type = ColumnType::Byte;
            break;
        case ColumnKind::Integer:
            out.type = ColumnType::Integer;
            break;
        case ColumnKind::Long:
            out.type = ColumnType::Long;
            break;
        case ColumnKind::Counter:
            out.type = ColumnType::Long;
            out.autoNumber = true;
            break;
        case ColumnKind::Single:
            out.type = ColumnType::Single;
            break;
        case ColumnKind::Double:
            out.type = ColumnType::Double;
            break;
        case ColumnKind::Currency:
            out.type = ColumnType::Currency;
            break;
        case ColumnKind::DateTime:
            out.type = ColumnType::DateTime;
            break;
        case ColumnKind::Bit:
            out.type = ColumnType::Boolean;
            break;
        case ColumnKind::Guid:
            out.type = ColumnType::Guid;
            break;
    }
    return out;
}

accessdb::IndexDefinition ToIndex(const IndexClause& clause) {
    accessdb::IndexDefinition index;
    index.name = clause.name;
    for (const IndexColumnName& column : clause.columns) {
        index.columns.push_back({column.name, column.ascending});
    }
    index.primaryKey = clause.primaryKey;
    index.unique = clause.unique || clause.primaryKey;
    index.required = clause.disallowNull || clause.primaryKey;
    index.ignoreNulls = clause.ignoreNull;
    return index;
}

// Names for constraints written without CONSTRAINT name, as Access's table designer names
// its indexes: "PrimaryKey" for the key, the column names for the others (made unique).
void NameUnnamedIndexes(std::vector<accessdb::IndexDefinition>& indexes) {
    auto taken = [&](const std::string& name) {
        for (const auto& index : indexes) {
            if (EqualsIgnoreCase(index.name, name)) {
                return true;
            }
        }
        return false;
    };
    for (auto& index : indexes) {
        if (!index.name.empty()) {
            continue;
        }
        std::string base;
        if (index.primaryKey) {
            base = "PrimaryKey";
        } else {
            for (const auto& column : index.columns) {
                base += column.name;
            }
        }
        std::string name = base;
        for (int n = 1; taken(name); ++n) {
            name = base + std::to_string(n);
        }
        index.name = name;
    }
}

accessdb::TableDefinition ToDefinition(const CreateTable& statement) {
    accessdb::TableDefinition definition;
    definition.name = statement.table;
    definition.columns.reserve(statement.columns.size());
    for (const auto& column : statement.columns) {
        definition.columns.push_back(ToColumn(column));
    }
    for (const IndexClause& clause : statement.indexes) {
        definition.indexes.push_back(ToIndex(clause));
    }
    NameUnnamedIndexes(definition.indexes);
    // NOT NULL is the column's Required property, which new tables cannot carry yet; a key
    // column is required through its primary key anyway.
    for (const auto& column : statement.columns) {
        if (!column.notNull) {
            continue;
        }
        bool inPrimaryKey = false;
        for (const auto& index : definition.indexes) {
            for (const auto& keyColumn : index.columns) {
                inPrimaryKey = inPrimaryKey ||
                               (index.primaryKey && EqualsIgnoreCase(keyColumn.name, column.name));
            }
        }
        if (!inPrimaryKey) {
            throw Error(ErrorKind::NotSupported,
                        "Column '" + column.name + "' of table '" + statement.table +
                            "' cannot be created NOT NULL yet: new tables do not carry the "
                            "Required property. Leave NOT NULL out or make the column the "
                            "primary key.");
        }
    }
    return definition;
}

void CreateIndexOn(Database& database, const CreateIndex& statement) {
    database.CreateIndex(statement.table, ToIndex(statement.index));
}

// Reused from statement to statement: the import sends one INSERT per line, each into the
// table and with the column list (none) of the one before.
struct InsertState {
    std::vector<int> positions;
    // What `positions` were resolved for: the writer's definition (where it lives and its
    // page, as a new writer may take the place of one let go), its column count, the
    // statement's column list.
    const TableDef* resolvedFor = nullptr;
    std::uint32_t resolvedPage = 0;
    std::size_t resolvedColumnCount = 0;
    std::vector<std::string> resolvedNames;
    std::vector<Value> values;
    std::vector<bool> supplied;
};

void ResolvePositions(const TableDef& def, const InsertInto& statement, InsertState& state) {
    const std::size_t columnCount = def.columns.size();
    if (state.resolvedFor == &def && state.resolvedPage == def.page &&
        state.resolvedColumnCount == columnCount && state.resolvedNames == statement.columns) {
        return;
    }
    state.resolvedFor = nullptr;
    state.positions.clear();
    if (statement.columns.empty()) {
        for (std::size_t i = 0; i < columnCount; ++i) {
            state.positions.push_back(static_cast<int>(i));
        }
    } else {
        for (const std::string& name : statement.columns) {
            const ColumnDef* column = def.FindColumn(name);
            if (column == nullptr) {
                throw Error(ErrorKind::Constraint,
                            "The INSERT INTO statement contains the following unknown field "
                            "name: '" +
                                name + "' (table '" + def.name + "').",
                            kUnknownField);
            }
            state.positions.push_back(static_cast<int>(column - def.columns.data()));
        }
    }
    state.resolvedFor = &def;
    state.resolvedPage = def.page;
    state.resolvedColumnCount = columnCount;
    state.resolvedNames = statement.columns;
}

void Insert(Database& database, const InsertInto& statement, InsertState& state) {
    RowInserter inserter = database.Inserter(statement.table);
    const TableDef& def = inserter.Table();
    const std::size_t columnCount = def.columns.size();
    ResolvePositions(def, statement, state);
    if (statement.values.size() != state.positions.size()) {
        throw Error(ErrorKind::Constraint,
                    "Number of query values and destination fields are not the same: table '" +
                        def.name + "' takes " + std::to_string(state.positions.size()) +
                        " values, the statement gives " + std::to_string(statement.values.size()) +
                        ".",
                    kValueCount);
    }
    state.values.resize(columnCount);
    state.supplied.assign(columnCount, statement.columns.empty());
    for (std::size_t i = 0; i < columnCount; ++i) {
        state.values[i].null = true;
        state.values[i].type = def.columns[i].type;
    }
    const NumberDateLocale& locale = NumberDateLocale::Process();
    for (std::size_t v = 0; v < state.positions.size(); ++v) {
        const auto position = static_cast<std::size_t>(state.positions[v]);
        LiteralToValue(def.name, def.columns[position], statement.values[v], state.values[position],
                       locale);
        state.supplied[position] = true;
    }
    inserter.Insert(state.values, state.supplied);
}

}  // namespace

void Execute(Database& database, std::string_view text) {
    thread_local Statement statement;
    thread_local InsertState insertState;
    try {
        ParseStatementInto(text, statement);
    } catch (const SqlSyntaxError& e) {
        throw Error(ErrorKind::Syntax, e.what(), e.number());
    }
    if (const auto* select = std::get_if<SelectAll>(&statement)) {
        auto cursor = database.OpenTable(select->table);
        while (cursor->Next()) {
        }
        return;
    }
    if (database.Mode() == OpenMode::ReadOnly) {
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + database.Path() + "' is open for reading only; \"" +
                        std::string(text.substr(0, 60)) + (text.size() > 60 ? "...\"" : "\"") +
                        " cannot be executed.");
    }
    if (const auto* create = std::get_if<CreateTable>(&statement)) {
        database.CreateTable(ToDefinition(*create));
    } else if (const auto* index = std::get_if<CreateIndex>(&statement)) {
        CreateIndexOn(database, *index);
    } else {
        Insert(database, std::get<InsertInto>(statement), insertState);
    }
}

}  // namespace accessdb::sql

namespace accessdb {

void Database::Execute(const std::string& sql) {
    try {
        sql::Execute(*this, sql);
    } catch (...) {
        // A statement refused before it reached the writer (syntax, conversion): the
        // statements before it are written all the same before the caller hears of it.
        WritePending();
        throw;
    }
}

}  // namespace accessdb

#include "accessdb/write/Writer.h"

#include <algorithm>

#include "accessdb/Database.h"
#include "accessdb/Text.h"
#include "accessdb/write/FieldEncoding.h"
#include "accessdb/write/NameRules.h"
#include "accessdb/write/TableDefBuilder.h"

namespace accessdb {

namespace {

constexpr long kTableExists = 3010;
constexpr long kTooManyFields = 3190;
constexpr long kFieldDefinedTwice = 3191;
constexpr long kValueCount = 3346;
constexpr long kUnknownField = 3127;
constexpr std::uint32_t kFullAccess = 1048575;  // dbSecFullAccess
const std::vector<std::uint8_t> kDefaultOwner{0xA6, 0x33};

int ColumnIndex(const TableDef& table, const char* name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (EqualsIgnoreCase(table.columns[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The sort order new text columns get: the database's default, or the format's when the
// header leaves it unset.
SortOrder DefaultSortOrder(const PageFile& pages) {
    SortOrder order = pages.Header().sortOrder;
    if (order.lcid == 0) {
        order.lcid = 1033;
        const JetVersion v = pages.format().version;
        order.version = (v == JetVersion::Jet4 || v == JetVersion::Ace12) ? 0 : 1;
    }
    return order;
}

}  // namespace

Writer::Writer(Database& database)
    : database_(database),
      lock_(database.Path()),
      journal_(database.Path(), database.Pages().PageSize()),
      allocator_(database.Pages()) {
    PageFile& pages = database_.Pages();
    if (RollbackJournal::Recover(pages, false)) {
        database_.InvalidateCatalog();
    }
    journal_.Start();
    pages.SetJournal(&journal_);
}

Writer::~Writer() {
    database_.Pages().SetJournal(nullptr);
}

void Writer::Close() {
    database_.Pages().SetJournal(nullptr);
    journal_.Remove();
    lock_.Release();
}

void Writer::ForgetState() {
    tables_.clear();
    lastName_.clear();
    lastTable_ = nullptr;
    allocator_.Reset();
    database_.InvalidateCatalog();
}

template <class Fn>
void Writer::RunStatement(Fn&& body) {
    PageFile& pages = database_.Pages();
    pages.BeginStatement();
    try {
        body();
    } catch (...) {
        // Nothing reached the file: drop the changed pages and everything derived from them.
        pages.EndStatement();
        journal_.Forget();
        pages.DiscardCache();
        ForgetState();
        throw;
    }
    try {
        if (journal_.HasChanges()) {
            journal_.Write(pages);
            pages.Flush();
            journal_.MarkDone();
        }
    } catch (...) {
        // The file may hold part of the statement: put the original pages back.
        pages.EndStatement();
        pages.DiscardCache();
        ForgetState();
        try {
            RollbackJournal::Recover(pages, false);
            journal_.MarkDone();
        } catch (...) {
            // The journal stays marked full: the next open rolls the statement back.
        }
        throw;
    }
    pages.EndStatement();
}

TableWriter& Writer::WriterFor(const std::string& name) {
    if (lastTable_ != nullptr && name == lastName_) {
        return *lastTable_;
    }
    std::shared_ptr<const TableDef> def = database_.Table(name);
    auto& slot = tables_[def->page];
    if (!slot) {
        slot = std::make_unique<TableWriter>(database_.Pages(), allocator_, def);
    }
    lastName_ = name;
    lastTable_ = slot.get();
    return *slot;
}

TableWriter& Writer::CatalogWriter() {
    auto& slot = tables_[kSystemCatalogPage];
    if (!slot) {
        slot = std::make_unique<TableWriter>(database_.Pages(), allocator_,
                                             database_.GetCatalog().SystemCatalogDefShared());
    }
    return *slot;
}

const std::vector<std::uint8_t>& Writer::DatabaseOwner() {
    if (owner_) {
        return *owner_;
    }
    Catalog& catalog = database_.GetCatalog();
    std::int32_t databasesId = 0;
    for (const CatalogObject& o : catalog.Objects()) {
        if (o.parentId == kDatabaseParentId && o.name == "Databases") {
            databasesId = o.id;
        }
    }
    owner_ = kDefaultOwner;
    auto def = catalog.SystemCatalogDefShared();
    const int owner = ColumnIndex(*def, "Owner");
    const int name = ColumnIndex(*def, "Name");
    const int parent = ColumnIndex(*def, "ParentId");
    if (owner >= 0 && name >= 0 && parent >= 0) {
        TableCursor cursor(database_.Pages(), def);
        while (cursor.Next()) {
            const auto& row = cursor.Row();
            if (row[static_cast<std::size_t>(parent)].integer == databasesId &&
                row[static_cast<std::size_t>(name)].text == "MSysDb" &&
                !row[static_cast<std::size_t>(owner)].null) {
                owner_ = row[static_cast<std::size_t>(owner)].bytes;
                break;
            }
        }
    }
    return *owner_;
}

void Writer::AddCatalogRow(const std::string& name, std::uint32_t tdefPage) {
    TableWriter& writer = CatalogWriter();
    const TableDef& def = writer.Def();
    std::vector<Value> values(def.columns.size());
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        values[i] = Value::Null(def.columns[i].type);
    }
    auto set = [&](const char* column, auto&& assign) {
        const int index = ColumnIndex(def, column);
        if (index < 0) {
            ThrowDamaged(std::string("the system catalog MSysObjects lacks its ") + column +
                         " column");
        }
        Value& v = values[static_cast<std::size_t>(index)];
        v.null = false;
        assign(v);
    };
    const double now = NowAsDateTime();
    const std::int32_t tablesId = database_.GetCatalog().TablesId();
    set("Id", [&](Value& v) { v.integer = static_cast<std::int32_t>(tdefPage); });
    set("ParentId", [&](Value& v) { v.integer = tablesId; });
    set("Name", [&](Value& v) { v.text = name; });
    set("Type", [&](Value& v) { v.integer = kObjectLocalTable; });
    set("DateCreate", [&](Value& v) { v.real = now; });
    set("DateUpdate", [&](Value& v) { v.real = now; });
    set("Owner", [&](Value& v) { v.bytes = DatabaseOwner(); });
    set("Flags", [&](Value& v) { v.integer = 0; });
    std::vector<StoredField> fields(def.columns.size());
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        if (!values[i].null) {
            EncodeField(def.columns[i], values[i], fields[i]);
        }
    }
    try {
        writer.Insert(fields, values);
    } catch (const Error& e) {
        if (e.JetNumber() == 3022) {
            throw Error(ErrorKind::Constraint, "Table '" + name + "' already exists.",
                        kTableExists);
        }
        throw;
    }
}

void Writer::AddAccessControlRows(std::uint32_t tdefPage) {
    Catalog& catalog = database_.GetCatalog();
    const CatalogObject* aces = catalog.Find("MSysACEs");
    if (aces == nullptr || aces->type != kObjectLocalTable) {
        return;  // a database without access control entries
    }
    TableWriter& writer = WriterFor("MSysACEs");
    const TableDef& def = writer.Def();
    const int objectId = ColumnIndex(def, "ObjectId");
    const int sid = ColumnIndex(def, "SID");
    const int acm = ColumnIndex(def, "ACM");
    const int inheritable = ColumnIndex(def, "FInheritable");
    if (objectId < 0 || sid < 0 || acm < 0) {
        ThrowDamaged("the system table MSysACEs lacks its ObjectId, SID or ACM column");
    }
    // Every SID that has rights on the Tables container gets full rights on the new table.
    std::vector<std::vector<std::uint8_t>> sids;
    {
        TableCursor cursor(database_.Pages(), std::make_shared<TableDef>(def));
        while (cursor.Next()) {
            const auto& row = cursor.Row();
            if (row[static_cast<std::size_t>(objectId)].integer == catalog.TablesId() &&
                !row[static_cast<std::size_t>(sid)].null) {
                const auto& bytes = row[static_cast<std::size_t>(sid)].bytes;
                if (std::find(sids.begin(), sids.end(), bytes) == sids.end()) {
                    sids.push_back(bytes);
                }
            }
        }
    }
    if (sids.empty()) {
        sids.push_back(kDefaultOwner);
    }
    for (const auto& bytes : sids) {
        std::vector<Value> values(def.columns.size());
        for (std::size_t i = 0; i < def.columns.size(); ++i) {
            values[i] = Value::Null(def.columns[i].type);
        }
        values[static_cast<std::size_t>(objectId)].null = false;
        values[static_cast<std::size_t>(objectId)].integer = static_cast<std::int32_t>(tdefPage);
        values[static_cast<std::size_t>(sid)].null = false;
        values[static_cast<std::size_t>(sid)].bytes = bytes;
        values[static_cast<std::size_t>(acm)].null = false;
        values[static_cast<std::size_t>(acm)].integer = kFullAccess;
        if (inheritable >= 0) {
            values[static_cast<std::size_t>(inheritable)].null = false;
            values[static_cast<std::size_t>(inheritable)].boolean = false;
        }
        std::vector<StoredField> fields(def.columns.size());
        for (std::size_t i = 0; i < def.columns.size(); ++i) {
            if (!values[i].null) {
                EncodeField(def.columns[i], values[i], fields[i]);
            }
        }
        writer.Insert(fields, values);
    }
}

void Writer::CreateTable(const sql::CreateTable& statement) {
    CheckObjectName(statement.table, "table");
    if (statement.columns.size() > kMaxColumnsPerTable) {
        throw Error(ErrorKind::Constraint,
                    "Too many fields defined: table '" + statement.table + "' would have " +
                        std::to_string(statement.columns.size()) + " columns (at most 255).",
                    kTooManyFields);
    }
    for (std::size_t i = 0; i < statement.columns.size(); ++i) {
        CheckObjectName(statement.columns[i].name, "column");
        for (std::size_t j = 0; j < i; ++j) {
            if (SameName(statement.columns[i].name, statement.columns[j].name)) {
                throw Error(ErrorKind::Constraint,
                            "Cannot define field '" + statement.columns[i].name +
                                "' more than once in table '" + statement.table + "'.",
                            kFieldDefinedTwice);
            }
        }
    }
    Catalog& catalog = database_.GetCatalog();
    if (catalog.Find(statement.table) != nullptr) {
        throw Error(ErrorKind::Constraint, "Table '" + statement.table + "' already exists.",
                    kTableExists);
    }
    PageFile& pages = database_.Pages();
    const SortOrder order = DefaultSortOrder(pages);
    const int nameColumn = ColumnIndex(catalog.SystemCatalogDef(), "Name");
    const SortOrder catalogOrder =
        nameColumn < 0
            ? order
            : catalog.SystemCatalogDef().columns[static_cast<std::size_t>(nameColumn)].sortOrder;
    for (const SortOrder& o : {order, catalogOrder}) {
        if (!FindTextSortOrder(o.lcid, o.version)) {
            throw Error(ErrorKind::NotSupported,
                        "Tables cannot be created in the database '" + database_.Path() +
                            "': its sort order (" + SortOrderName(o, pages.format()) +
                            ") is not one this engine can write (General Legacy or General).");
        }
    }
    RunStatement([&] {
        const std::uint32_t tdefPage = WriteNewTableDefinition(pages, allocator_, statement, order);
        AddCatalogRow(statement.table, tdefPage);
        AddAccessControlRows(tdefPage);
    });
    database_.InvalidateCatalog();
    lastTable_ = nullptr;
    lastName_.clear();
}

void Writer::Insert(const sql::InsertInto& statement) {
    RunStatement([&] {
        TableWriter& writer = WriterFor(statement.table);
        const TableDef& def = writer.Def();
        if (def.tableType != 0x4E || !def.realIndexes.empty()) {
            if (!def.realIndexes.empty()) {
                throw Error(ErrorKind::NotSupported,
                            "Table '" + def.name +
                                "' has indexes; inserting into tables with indexes is not "
                                "supported yet.");
            }
            throw Error(ErrorKind::ReadOnly, "'" + def.name +
                                                 "' is a system table and cannot be "
                                                 "changed.");
        }
        const std::size_t columnCount = def.columns.size();
        // Which column each value goes to.
        positions_.clear();
        if (statement.columns.empty()) {
            for (std::size_t i = 0; i < columnCount; ++i) {
                positions_.push_back(static_cast<int>(i));
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
                positions_.push_back(static_cast<int>(column - def.columns.data()));
            }
        }
        if (statement.values.size() != positions_.size()) {
            throw Error(ErrorKind::Constraint,
                        "Number of query values and destination fields are not the same: table '" +
                            def.name + "' takes " + std::to_string(positions_.size()) +
                            " values, the statement gives " +
                            std::to_string(statement.values.size()) + ".",
                        kValueCount);
        }
        values_.resize(columnCount);
        fields_.resize(columnCount);
        for (std::size_t i = 0; i < columnCount; ++i) {
            values_[i].null = true;
            values_[i].type = def.columns[i].type;
        }
        for (std::size_t v = 0; v < positions_.size(); ++v) {
            const auto position = static_cast<std::size_t>(positions_[v]);
            LiteralToValue(def.name, def.columns[position], statement.values[v], values_[position]);
        }
        for (std::size_t i = 0; i < columnCount; ++i) {
            const ColumnDef& column = def.columns[i];
            if ((column.flags & kColumnAutoLong) != 0 && column.type == ColumnType::Long) {
                if (values_[i].null) {
                    values_[i].null = false;
                    values_[i].integer = static_cast<std::int32_t>(def.autoNumber + 1);
                }
                writer.RaiseAutoNumber(values_[i].integer);
            } else if (column.IsAutoNumber() && values_[i].null) {
                throw Error(ErrorKind::NotSupported,
                            "Column '" + column.name + "' of table '" + def.name +
                                "' is a GUID AutoNumber, which cannot be filled in yet.");
            }
            if (!IsLongValueType(column.type)) {
                EncodeField(column, values_[i], fields_[i]);
            } else {
                fields_[i].present = false;
                fields_[i].bytes.clear();
            }
        }
        for (std::size_t i = 0; i < columnCount; ++i) {
            const ColumnDef& column = def.columns[i];
            if (IsLongValueType(column.type) && !values_[i].null) {
                const std::vector<std::uint8_t> data =
                    column.type == ColumnType::Memo
                        ? EncodeText(values_[i].text, column.IsCompressedUnicode())
                        : values_[i].bytes;
                const std::size_t used = RowSizeWithout(def, fields_, i);
                const std::size_t room =
                    database_.format().maxRowSize > used ? database_.format().maxRowSize - used : 0;
                fields_[i] = writer.StoreLongValue(column, data, room);
            }
        }
        try {
            writer.Insert(fields_, values_);
        } catch (const Error& e) {
            if (std::string(e.what()) == "Record is too large.") {
                throw Error(ErrorKind::Constraint,
                            "Record is too large: a row of table '" + def.name + "' would exceed " +
                                std::to_string(database_.format().maxRowSize) + " bytes.",
                            3047);
            }
            throw;
        }
    });
}

}  // namespace accessdb

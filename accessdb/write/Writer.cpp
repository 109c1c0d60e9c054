#include "accessdb/write/Writer.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "accessdb/Database.h"
#include "accessdb/DatabaseLock.h"
#include "accessdb/TableDefJet3.h"
#include "accessdb/Text.h"
#include "accessdb/index/RelatedRecords.h"
#include "accessdb/write/FieldEncoding.h"
#include "accessdb/write/IndexCreator.h"
#include "accessdb/write/NameRules.h"
#include "accessdb/write/NewGuid.h"
#include "accessdb/write/TableDefBuilder.h"
#include "accessdb/write/ValueChecks.h"

namespace accessdb {

namespace {

constexpr long kTableExists = 3010;
constexpr long kTooManyFields = 3190;
constexpr long kFieldDefinedTwice = 3191;
constexpr long kFieldCannotBeUpdated = 3164;
constexpr long kMultiValuedInInsert = 3824;
constexpr std::uint32_t kFullAccess = 1048575;  // dbSecFullAccess
const std::vector<std::uint8_t> kDefaultOwner{0xA6, 0x33};
// Access 97's built-in security ids, stored as they are: the creator placeholder of the Tables
// container's entries and the Admin user; the rights Access 97 gives a user on a new table.
const std::vector<std::uint8_t> kJet3CreatorSid{0x02, 0x04};
const std::vector<std::uint8_t> kJet3AdminSid{0x03, 0x01};
constexpr std::uint32_t kJet3TableAccess = 1048319;

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

// Columns a row cannot give a value to: multi-valued and attachment columns (their values
// live in hidden tables that Access fills), and calculated columns (Access works their values
// out itself).
void RefuseUnwritableColumns(const TableDef& def, const std::vector<Value>& values,
                             const std::vector<bool>& supplied) {
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const ColumnDef& column = def.columns[i];
        const bool named = supplied.empty() || supplied[i];
        if (column.type == ColumnType::Complex && named) {
            throw Error(ErrorKind::Constraint,
                        "An INSERT INTO query cannot contain a multi-valued field: column '" +
                            column.name + "' of table '" + def.name +
                            "' is a multi-valued or attachment column; leave it out of the "
                            "statement's column list.",
                        kMultiValuedInInsert);
        }
        if (column.IsCalculated() && !values[i].null) {
            throw Error(ErrorKind::Constraint,
                        "Field cannot be updated: column '" + column.name + "' of table '" +
                            def.name + "' is calculated by Access from other columns.",
                        kFieldCannotBeUpdated);
        }
        if (column.IsCalculated()) {
            throw Error(ErrorKind::NotSupported,
                        "Rows cannot be added to table '" + def.name +
                            "' yet: its calculated column '" + column.name +
                            "' would need its value worked out, which this engine does not do.");
        }
    }
}

// The writers that hold a file, for CloseAllForExit.
std::mutex openWritersMutex;
std::set<Writer*>& OpenWriters() {
    static std::set<Writer*> writers;
    return writers;
}

}  // namespace

Writer::Writer(Database& database, bool discard)
    : database_(database), guard_(database), allocator_(database.Pages()) {
    if (discard) {
        return;
    }
    lock_ = std::make_unique<LockFile>(database.Path());
    PageFile& pages = database_.Pages();
    // Before our own handle of the journal is open: a journal of another file is renamed
    // aside, which Windows refuses for a file open without delete sharing.
    if (RollbackJournal::Recover(pages, false)) {
        database_.InvalidateCatalog();
    }
    journal_ = std::make_unique<RollbackJournal>(database.Path(), pages.PageSize());
    journal_->Start();
    pages.SetJournal(journal_.get());
    std::lock_guard<std::mutex> hold(openWritersMutex);
    OpenWriters().insert(this);
}

Writer::~Writer() {
    {
        std::lock_guard<std::mutex> hold(openWritersMutex);
        OpenWriters().erase(this);
    }
    // The writing thread may still use the journal; a failure it had is the next open's to
    // roll back.
    database_.Pages().AwaitWrites();
    database_.Pages().SetJournal(nullptr);
}

void Writer::Close() {
    {
        std::lock_guard<std::mutex> hold(openWritersMutex);
        OpenWriters().erase(this);
    }
    database_.Pages().AwaitWrites();
    database_.Pages().SetJournal(nullptr);
    // A group that failed to be written keeps its journal, for the next open to roll back.
    if (journal_ && !database_.Pages().WritesPending()) {
        journal_->Remove();
    }
    if (lock_) {
        lock_->Release();
    }
}

void Writer::StorePendingRowCounts() {
    for (auto& [page, writer] : tables_) {
        // A slot stays empty when the table's check refused it (WriterFor).
        if (writer) {
            writer->StorePendingRowCount();
        }
    }
}

void Writer::CommitGroup() {
    CommitGroupWith(false);
}

void Writer::CommitGroupBehind() {
    CommitGroupWith(true);
}

void Writer::CommitGroupWith(bool behind) {
    PageFile& pages = database_.Pages();
    StorePendingRowCounts();
    if (!journal_ || (pages.DirtyPageCount() == 0 && !pages.WritesPending())) {
        groupStatements_ = 0;
        return;
    }
    try {
        pages.FinishWrites();
        writingStatements_ = 0;
        if (pages.DirtyPageCount() == 0) {
            groupStatements_ = 0;
            return;
        }
        if (behind) {
            // The lock goes with the pages: readers stay out until they are written.
            auto group = std::make_shared<WriteGroupLock>(pages.File());
            pages.FlushBehind(std::move(group));
            writingStatements_ = groupStatements_;
        } else {
            // Open readers are waited out before the first byte goes to the file.
            const WriteGroupLock group(pages.File());
            pages.Flush();
        }
        groupStatements_ = 0;
    } catch (const Error& e) {
        // The file may hold part of the group: put the original pages back, so that it holds
        // exactly the groups written before.
        const std::size_t lost = groupStatements_ + writingStatements_;
        groupStatements_ = 0;
        writingStatements_ = 0;
        pages.DiscardCache();
        ForgetState();
        try {
            RollbackJournal::Recover(pages, false);
            journal_->MarkDone();
        } catch (...) {
            // The journal stays marked full: the next open rolls the group back.
        }
        throw Error(e.Kind(),
                    std::string(e.what()) + " The database keeps what it held before the last " +
                        std::to_string(lost) + (lost == 1 ? " statement" : " statements") +
                        ", which could not be written.",
                    e.JetNumber());
    }
}

void Writer::CloseForExit() {
    PageFile& pages = database_.Pages();
    if (pages.InStatement()) {
        pages.RollbackStatement();  // a statement cut short by the exit is not kept
    }
    closedForExit_ = true;
    CommitGroup();
    pages.Sync();
    Close();
}

void Writer::CloseAllForExit() {
    std::set<Writer*> writers;
    {
        std::lock_guard<std::mutex> hold(openWritersMutex);
        writers = OpenWriters();
    }
    for (Writer* writer : writers) {
        try {
            writer->CloseForExit();
        } catch (...) {
            // The journal rolls back whatever did not reach the file on the next open.
        }
    }
}

void Writer::ForgetState() {
    tables_.clear();
    rules_.clear();
    lastName_.clear();
    lastTable_ = nullptr;
    allocator_.Reset();
    database_.InvalidateCatalog();
}

template <class Fn>
void Writer::RunStatement(Fn&& body) {
    if (closedForExit_) {
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + database_.Path() + "' was closed: the program is ending.");
    }
    PageFile& pages = database_.Pages();
    pages.BeginStatement();
    try {
        body();
    } catch (...) {
        // The cache goes back to its state before the statement; what the writer derived from
        // it is read again. The statements before it are written before the error reaches the
        // caller, so that what was executed stays in the file.
        pages.RollbackStatement();
        StorePendingRowCounts();  // the rows of the statements before it stay counted
        ForgetState();
        CommitGroup();
        throw;
    }
    pages.EndStatement();
    ++groupStatements_;
    if (pages.GroupDue()) {
        CommitGroupBehind();
    }
}

TableWriter& Writer::WriterFor(const std::string& name) {
    if (lastTable_ != nullptr && name == lastName_) {
        return *lastTable_;
    }
    std::shared_ptr<const TableDef> def = database_.Table(name);
    auto& slot = tables_[def->page];
    if (!slot) {
        guard_.BeforeChange(*def);
        slot = std::make_unique<TableWriter>(database_.Pages(), allocator_, def);
    }
    lastName_ = name;
    lastTable_ = slot.get();
    return *slot;
}

const rules::TableRules& Writer::RulesFor(const TableDef& table) {
    auto found = rules_.find(table.page);
    if (found == rules_.end()) {
        found =
            rules_
                .emplace(table.page, rules::TableRules::Load(
                                         database_.Pages(),
                                         database_.GetCatalog().SystemCatalogDefShared(), table))
                .first;
    }
    return found->second;
}

TableWriter& Writer::CatalogWriter() {
    auto& slot = tables_[kSystemCatalogPage];
    if (!slot) {
        guard_.BeforeChange(database_.GetCatalog().SystemCatalogDef());
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
            EncodeField(def.columns[i], values[i], fields[i],
                        TextStorage::Of(database_.Pages(), def.name));
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
    // Access 97 instead gives each SID of an inheritable entry of the container that entry's
    // rights, leaving out the creator's placeholder SID (its owner has an entry of its own).
    const bool jet3 = database_.Pages().format().jet3;
    std::vector<std::vector<std::uint8_t>> sids;
    std::vector<std::int32_t> masks;
    {
        TableCursor cursor(database_.Pages(), std::make_shared<TableDef>(def));
        while (cursor.Next()) {
            const auto& row = cursor.Row();
            if (row[static_cast<std::size_t>(objectId)].integer == catalog.TablesId() &&
                !row[static_cast<std::size_t>(sid)].null) {
                const auto& bytes = row[static_cast<std::size_t>(sid)].bytes;
                if (jet3 &&
                    (inheritable < 0 || !row[static_cast<std::size_t>(inheritable)].boolean ||
                     bytes == kJet3CreatorSid || row[static_cast<std::size_t>(acm)].null)) {
                    continue;
                }
                if (std::find(sids.begin(), sids.end(), bytes) == sids.end()) {
                    sids.push_back(bytes);
                    masks.push_back(jet3 ? row[static_cast<std::size_t>(acm)].integer
                                         : static_cast<std::int32_t>(kFullAccess));
                }
            }
        }
    }
    if (sids.empty()) {
        sids.push_back(jet3 ? kJet3AdminSid : kDefaultOwner);
        masks.push_back(static_cast<std::int32_t>(jet3 ? kJet3TableAccess : kFullAccess));
    }
    for (std::size_t s = 0; s < sids.size(); ++s) {
        const auto& bytes = sids[s];
        std::vector<Value> values(def.columns.size());
        for (std::size_t i = 0; i < def.columns.size(); ++i) {
            values[i] = Value::Null(def.columns[i].type);
        }
        values[static_cast<std::size_t>(objectId)].null = false;
        values[static_cast<std::size_t>(objectId)].integer = static_cast<std::int32_t>(tdefPage);
        values[static_cast<std::size_t>(sid)].null = false;
        values[static_cast<std::size_t>(sid)].bytes = bytes;
        values[static_cast<std::size_t>(acm)].null = false;
        values[static_cast<std::size_t>(acm)].integer = masks[s];
        if (inheritable >= 0) {
            values[static_cast<std::size_t>(inheritable)].null = false;
            values[static_cast<std::size_t>(inheritable)].boolean = false;
        }
        std::vector<StoredField> fields(def.columns.size());
        for (std::size_t i = 0; i < def.columns.size(); ++i) {
            if (!values[i].null) {
                EncodeField(def.columns[i], values[i], fields[i],
                            TextStorage::Of(database_.Pages(), def.name));
            }
        }
        writer.Insert(fields, values);
    }
}

void Writer::CreateTable(const TableDefinition& statement) {
    // Definitions are read from their pages below (the catalog's, an index's table).
    StorePendingRowCounts();
    CheckObjectName(statement.name, "table");
    if (statement.columns.size() > kMaxColumnsPerTable) {
        throw Error(ErrorKind::Constraint,
                    "Too many fields defined: table '" + statement.name + "' would have " +
                        std::to_string(statement.columns.size()) + " columns (at most 255).",
                    kTooManyFields);
    }
    for (std::size_t i = 0; i < statement.columns.size(); ++i) {
        CheckObjectName(statement.columns[i].name, "column");
        for (std::size_t j = 0; j < i; ++j) {
            if (SameName(statement.columns[i].name, statement.columns[j].name)) {
                throw Error(ErrorKind::Constraint,
                            "Cannot define field '" + statement.columns[i].name +
                                "' more than once in table '" + statement.name + "'.",
                            kFieldDefinedTwice);
            }
        }
    }
    Catalog& catalog = database_.GetCatalog();
    if (catalog.Find(statement.name) != nullptr) {
        throw Error(ErrorKind::Constraint, "Table '" + statement.name + "' already exists.",
                    kTableExists);
    }
    PageFile& pages = database_.Pages();
    if (pages.format().jet3) {
        // Access 97 keeps names in the database's code page: refused before anything is written.
        const std::uint16_t codePage = pages.Header().codePage;
        EncodeJet3Name(statement.name, codePage, "table");
        for (const ColumnDefinition& column : statement.columns) {
            EncodeJet3Name(column.name, codePage, "column");
        }
        for (const IndexDefinition& index : statement.indexes) {
            EncodeJet3Name(index.name, codePage, "index");
        }
    }
    const SortOrder order = DefaultSortOrder(pages);
    const int nameColumn = ColumnIndex(catalog.SystemCatalogDef(), "Name");
    const SortOrder catalogOrder =
        nameColumn < 0
            ? order
            : catalog.SystemCatalogDef().columns[static_cast<std::size_t>(nameColumn)].sortOrder;
    for (const SortOrder& o : {order, catalogOrder}) {
        if (!FindTextSortOrder(o.lcid, o.version, pages.format().jet3)) {
            throw Error(
                ErrorKind::NotSupported,
                "Tables cannot be created in the database '" + database_.Path() +
                    "': its sort order (" + SortOrderName(o, pages.format()) +
                    ") is not one this engine can write (General Legacy, General or General 97).");
        }
    }
    RunStatement([&] {
        const std::uint32_t tdefPage = WriteNewTableDefinition(pages, allocator_, statement, order);
        AddIndexes(pages, allocator_, statement.name, tdefPage, statement.indexes);
        AddCatalogRow(statement.name, tdefPage);
        AddAccessControlRows(tdefPage);
    });
    database_.InvalidateCatalog();
    lastTable_ = nullptr;
    lastName_.clear();
}

void Writer::CreateIndex(const std::string& name, const IndexDefinition& index) {
    StorePendingRowCounts();  // filling the index reads the table's count from its page
    std::shared_ptr<const TableDef> def = database_.Table(name);
    if (def->tableType != 0x4E) {
        throw Error(ErrorKind::ReadOnly,
                    "'" + def->name + "' is a system table and cannot be changed.");
    }
    RunStatement([&] { AddIndexes(database_.Pages(), allocator_, def->name, def->page, {index}); });
    // The table's definition changed under its writer.
    tables_.erase(def->page);
    lastTable_ = nullptr;
    lastName_.clear();
    database_.InvalidateCatalog();
}

const TableDef& Writer::Table(const std::string& name) {
    return WriterFor(name).Def();
}

void Writer::Insert(const std::string& name, std::vector<Value>& values,
                    const std::vector<bool>& supplied) {
    RunStatement([&] {
        TableWriter& writer = WriterFor(name);
        const TableDef& def = writer.Def();
        if (def.tableType != 0x4E) {
            throw Error(ErrorKind::ReadOnly, "'" + def.name +
                                                 "' is a system table and cannot be "
                                                 "changed.");
        }
        const std::size_t columnCount = def.columns.size();
        if (values.size() != columnCount) {
            throw Error(ErrorKind::Constraint, "A row for table '" + def.name + "' needs " +
                                                   std::to_string(columnCount) + " values, " +
                                                   std::to_string(values.size()) + " were given.");
        }
        fields_.resize(columnCount);
        for (std::size_t i = 0; i < columnCount; ++i) {
            if (!values[i].null && values[i].type != def.columns[i].type) {
                throw Error(ErrorKind::Constraint, "A " + ColumnTypeName(values[i].type) +
                                                       " value cannot be stored in "
                                                       "column '" +
                                                       def.columns[i].name + "' (" +
                                                       ColumnTypeName(def.columns[i].type) +
                                                       ") of table '" + def.name + "'.");
            }
            values[i].type = def.columns[i].type;
        }
        RefuseUnwritableColumns(def, values, supplied);
        const rules::TableRules& rules = RulesFor(def);
        rules.ApplyDefaults(def, values, supplied);
        for (std::size_t i = 0; i < columnCount; ++i) {
            const ColumnDef& column = def.columns[i];
            if ((column.flags & kColumnAutoLong) != 0 && column.type == ColumnType::Long) {
                if (values[i].null) {
                    values[i].null = false;
                    values[i].integer = static_cast<std::int32_t>(def.autoNumber + 1);
                }
                writer.RaiseAutoNumber(values[i].integer);
            } else if ((column.flags & kColumnAutoGuid) != 0 && values[i].null) {
                values[i].null = false;
                values[i].bytes = NewRandomGuid();
            }
        }
        const TextStorage text = TextStorage::Of(database_.Pages(), def.name);
        for (std::size_t i = 0; i < columnCount; ++i) {
            CheckTextFits(def.name, def.columns[i], values[i], database_.format());
        }
        rules.Check(def, values);
        for (std::size_t i = 0; i < columnCount; ++i) {
            const ColumnDef& column = def.columns[i];
            if (!IsLongValueType(column.type)) {
                EncodeField(column, values[i], fields_[i], text);
            } else {
                fields_[i].present = false;
                fields_[i].bytes.clear();
            }
        }
        for (std::size_t i = 0; i < columnCount; ++i) {
            const ColumnDef& column = def.columns[i];
            if (IsLongValueType(column.type) && !values[i].null) {
                std::vector<std::uint8_t> data;
                if (column.type == ColumnType::Memo) {
                    EncodeColumnText(column, values[i].text, text, data);
                } else {
                    data = values[i].bytes;
                }
                const std::size_t used = RowSizeWithout(def, database_.format(), fields_, i);
                const std::size_t room =
                    database_.format().maxRowSize > used ? database_.format().maxRowSize - used : 0;
                fields_[i] = writer.StoreLongValue(column, data, room);
            }
        }
        RequireRelatedRecords(database_, def, values);
        try {
            writer.Insert(fields_, values, true);
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

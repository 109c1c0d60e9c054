// Opening, password check, catalog and table access.
#include "accessdb/Database.h"

#include "accessdb/DatabaseLock.h"
#include "accessdb/LockFile.h"
#include "accessdb/crypto/OfficeEncryption.h"
#include "accessdb/write/Writer.h"

namespace accessdb {

namespace {

// The password check of an Office-encrypted file; its errors gain the file's name, except
// Access's own "Not a valid password.".
std::unique_ptr<PageCodec> UnlockEncryptedPages(PageFile& pages, const std::string& password) {
    try {
        return crypto::UnlockOfficeEncryption(pages.Read(0)->View(), pages.Header().databaseKey,
                                              password);
    } catch (const Error& e) {
        if (e.Kind() == ErrorKind::Damaged)
            throw Error(ErrorKind::Damaged,
                        "The database '" + pages.Path() + "' is damaged: " + e.what() + ".");
        if (e.Kind() == ErrorKind::Encrypted)
            throw Error(ErrorKind::Encrypted,
                        "The database '" + pages.Path() + "' cannot be opened: " + e.what() + ".");
        throw;
    }
}

}  // namespace

DatabaseInfo ReadDatabaseInfo(const std::string& path) {
    PageFile pages(path, OpenMode::ReadOnly);
    const DatabaseHeader& h = pages.Header();
    DatabaseInfo info;
    info.path = path;
    info.engineName = h.engineName;
    info.formatName = h.format->name;
    info.versionByte = h.format->versionByte;
    info.pageSize = h.format->pageSize;
    info.pageCount = pages.PageCount();
    info.sortOrder = h.sortOrder;
    info.sortOrderName = SortOrderName(h.sortOrder, *h.format);
    info.codePage = h.codePage;
    info.encryption = h.encryption;
    info.encryptionVersion = h.encryptionVersion;
    info.hasPassword = !h.password.empty();
    return info;
}

Database::Database(std::unique_ptr<PageFile> pages, OpenMode mode)
    : pages_(std::move(pages)), mode_(mode) {}

Database::~Database() {
    try {
        Close();
    } catch (...) {
        // Close() reports failures to callers that call it; a destructor cannot.
    }
}

std::unique_ptr<Database> Database::Open(const std::string& path, const std::string& password,
                                         OpenMode mode) {
    // A read-only file is refused for writing before anything is written, and a statement a
    // crash cut off is rolled back before anything is read.
    if (mode == OpenMode::ReadWrite) {
        // Whether the path names a database at all is said first (missing files, links that
        // dangle or loop, folders); then whether the file may be written.
        { PageFile probe(path, OpenMode::ReadOnly); }
        RequireWritableFile(path);
    }
    auto pages = mode == OpenMode::ReadWrite ? std::make_unique<PageFile>(path, mode)
                                             : OpenPagesForReading(path, mode);
    const DatabaseHeader& h = pages->Header();
    if (IsOfficeEncryption(h.encryption))
        pages->SetCodec(UnlockEncryptedPages(*pages, password));
    if (!h.password.empty() && h.password != password)
        throw Error(ErrorKind::WrongPassword, "Not a valid password.");
    std::unique_ptr<Database> db(new Database(std::move(pages), mode));
    if (mode != OpenMode::ReadOnly)
        db->PrepareForWriting();
    db->GetCatalog();  // a database whose catalog cannot be read does not open
    return db;
}

DatabaseInfo Database::Info() const {
    DatabaseInfo info = ReadDatabaseInfo(Path());
    info.pageCount = pages_->PageCount();
    return info;
}

Catalog& Database::GetCatalog() {
    if (!catalog_)
        catalog_ = Guard([&] { return Catalog::Load(*pages_); });
    return *catalog_;
}

std::vector<SchemaRow> Database::SchemaRows() {
    return GetCatalog().SchemaRows();
}

std::vector<std::string> Database::UserTableNames() {
    std::vector<std::string> names;
    for (const auto& row : SchemaRows())
        if (row.tableType == "TABLE")
            names.push_back(row.tableName);
    return names;
}

std::shared_ptr<const TableDef> Database::Table(const std::string& name) {
    const CatalogObject* o = GetCatalog().Find(name);
    if (!o) {
        throw Error(ErrorKind::TableNotFound,
                    "The Microsoft Access database engine cannot find the input table or query '" +
                        name + "'. Make sure it exists and that its name is spelled correctly.");
    }
    if (o->type == kObjectQuery)
        throw Error(ErrorKind::NotSupported,
                    "'" + o->name + "' is a query; only tables can be read.");
    if (o->type != kObjectLocalTable) {
        throw Error(ErrorKind::NotSupported, "'" + o->name + "' is a table linked to " +
                                                 (o->database.empty() ? o->connect : o->database) +
                                                 "; open that database to read it.");
    }
    std::uint32_t page = o->TableDefPage();
    auto it = tables_.find(page);
    if (it != tables_.end())
        return it->second;
    auto def = Guard(
        [&] { return std::make_shared<const TableDef>(TableDef::Load(*pages_, page, o->name)); });
    tables_[page] = def;
    return def;
}

std::unique_ptr<TableCursor> Database::OpenTable(const std::string& name) {
    auto def = Table(name);
    return Guard([&] { return std::make_unique<TableCursor>(*pages_, def); });
}

std::unique_ptr<TableCursor> Database::OpenQuery(const std::string& sql) {
    return OpenTable(ParseSelectAll(sql));
}

void Database::ThrowReadOnly(const std::string& what) const {
    throw Error(ErrorKind::ReadOnly, "The database '" + Path() + "' is open for reading only; " +
                                         what + " cannot be executed.");
}

void Database::CreateTable(const TableDefinition& definition) {
    Writer& writer = RequireWriter([&] { return "creating table '" + definition.name + "'"; });
    Guard([&] {
        writer.CreateTable(definition);
        return 0;
    });
}

void Database::CreateIndex(const std::string& table, const IndexDefinition& index) {
    Writer& writer = RequireWriter(
        [&] { return "creating index '" + index.name + "' on table '" + table + "'"; });
    Guard([&] {
        writer.CreateIndex(table, index);
        return 0;
    });
}

RowInserter Database::Inserter(const std::string& table) {
    Writer& writer = RequireWriter([&] { return "adding rows to table '" + table + "'"; });
    Guard([&] { return &writer.Table(table); });
    return RowInserter(*this, table);
}

const TableDef& RowInserter::Table() {
    Writer& writer =
        database_->RequireWriter([&] { return "adding rows to table '" + table_ + "'"; });
    return *database_->Guard([&] { return &writer.Table(table_); });
}

void RowInserter::Insert(std::vector<Value>& values, const std::vector<bool>& supplied) {
    Writer& writer =
        database_->RequireWriter([&] { return "adding rows to table '" + table_ + "'"; });
    database_->Guard([&] {
        writer.Insert(table_, values, supplied);
        return 0;
    });
}

void Database::WritePending() {
    if (writer_)
        Guard([&] {
            writer_->CommitGroup();
            return 0;
        });
}

void Database::InvalidateCatalog() {
    catalog_.reset();
    tables_.clear();
}

void Database::Close() {
    if (mode_ == OpenMode::Discard && writer_) {
        writer_->Close();  // nothing was written: there is nothing to flush
        return;
    }
    if (mode_ == OpenMode::ReadWrite && pages_) {
        if (writer_)
            writer_->CommitGroup();
        else
            pages_->Flush();
        pages_->Sync();
        if (writer_)
            writer_->Close();
    }
    if (pages_)
        UnlockDatabase(pages_->File());
}

void CloseDatabasesForExit() {
    Writer::CloseAllForExit();
}

}  // namespace accessdb

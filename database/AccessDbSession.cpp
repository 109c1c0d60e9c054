// The accessdb-backed session and its recordsets.
#include "database/AccessDbSession.h"

#include <algorithm>

#include "accessdb/LockFile.h"
#include "database/ConnectionString.h"

namespace quillmere {

namespace {

// ADO DataTypeEnum values, as the Jet and ACE providers report the column types.
int AdoType(const accessdb::ColumnDef& c) {
    using accessdb::ColumnType;
    switch (c.type) {
        case ColumnType::Boolean:
            return 11;  // adBoolean
        case ColumnType::Byte:
            return 17;  // adUnsignedTinyInt
        case ColumnType::Integer:
            return 2;  // adSmallInt
        case ColumnType::Long:
            return 3;  // adInteger
        case ColumnType::Currency:
            return 6;  // adCurrency
        case ColumnType::Single:
            return 4;  // adSingle
        case ColumnType::Double:
            return 5;  // adDouble
        case ColumnType::DateTime:
            return 7;  // adDate
        case ColumnType::Binary:
            return 128;  // adBinary
        case ColumnType::Text:
            return kAdVarWChar;  // adVarWChar
        case ColumnType::Ole:
            return 205;  // adLongVarBinary
        case ColumnType::Memo:
            return kAdLongVarWChar;
        case ColumnType::Guid:
            return 72;  // adGUID
        case ColumnType::Numeric:
            return 131;  // adNumeric
        case ColumnType::BigInt:
            return 20;  // adBigInt
        case ColumnType::Complex:
            return 3;  // the complex value's id
        case ColumnType::DateTimeExtended:
            return kAdVarWChar;
    }
    return 0;
}

[[noreturn]] void ThrowClosed() {
    throw DatabaseError(3704, "Operation is not allowed when the object is closed.");
}

// Rows held as text: the schema rowset.
class TextRecordset : public Recordset {
  public:
    TextRecordset(std::vector<std::string> fields, std::vector<std::vector<std::string>> rows)
        : fields_(std::move(fields)), rows_(std::move(rows)) {}
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override {
        return fields_.at(static_cast<std::size_t>(index));
    }
    bool AtEnd() const override { return closed_ || row_ >= rows_.size(); }
    void MoveNext() override {
        if (closed_)
            ThrowClosed();
        if (row_ < rows_.size())
            ++row_;
    }
    std::string Value(int index) const override { return Cell(index); }
    std::string Value(const std::string& fieldName) const override {
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (accessdb::EqualsIgnoreCase(fields_[i], fieldName))
                return Cell(static_cast<int>(i));
        throw DatabaseError(3265,
                            "Item cannot be found in the collection corresponding to the requested "
                            "name or ordinal.");
    }
    bool IsNull(int index) const override { return Cell(index).empty(); }
    void Close() override { closed_ = true; }

  private:
    std::string Cell(int index) const {
        if (closed_)
            ThrowClosed();
        if (row_ >= rows_.size())
            throw DatabaseError(
                3021, "Either BOF or EOF is True, or the current record has been deleted.");
        if (index < 0 || static_cast<std::size_t>(index) >= fields_.size())
            throw DatabaseError(3265,
                                "Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal.");
        return rows_[row_][static_cast<std::size_t>(index)];
    }
    std::vector<std::string> fields_;
    std::vector<std::vector<std::string>> rows_;
    std::size_t row_ = 0;
    bool closed_ = false;
};

}  // namespace

// A forward recordset over a table cursor.
class AccessDbRecordset : public Recordset {
  public:
    AccessDbRecordset(accessdb::Database& db, std::unique_ptr<accessdb::TableCursor> cursor,
                      std::shared_ptr<AccessDbSession::OpenRecordsets> registry)
        : db_(db), cursor_(std::move(cursor)), registry_(std::move(registry)) {
        Advance();  // may throw: register only a recordset that exists
        registry_->list.push_back(this);
    }
    ~AccessDbRecordset() override { Close(); }

    int FieldCount() const override { return columns_; }
    std::string FieldName(int index) const override {
        if (!cursor_)
            ThrowClosed();
        return Column(index).name;
    }
    int FieldType(int index) const override {
        if (!cursor_)
            ThrowClosed();
        return AdoType(Column(index));
    }
    bool AtEnd() const override { return !cursor_ || atEnd_; }
    void MoveNext() override {
        if (!cursor_)
            ThrowClosed();
        if (!atEnd_)
            Advance();
    }
    std::string Value(int index) const override { return accessdb::FormatValue(Current(index)); }
    std::string Value(const std::string& fieldName) const override {
        if (!cursor_)
            ThrowClosed();
        const auto& columns = cursor_->Table().columns;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (accessdb::EqualsIgnoreCase(columns[i].name, fieldName))
                return Value(static_cast<int>(i));
        throw DatabaseError(3265,
                            "Item cannot be found in the collection corresponding to the requested "
                            "name or ordinal.");
    }
    bool IsNull(int index) const override { return Current(index).null; }
    void Close() override {
        cursor_.reset();
        auto& list = registry_->list;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

  private:
    void Advance() {
        columns_ = static_cast<int>(cursor_->Table().columns.size());
        atEnd_ = !TranslateEngineErrors([&] { return db_.Guard([&] { return cursor_->Next(); }); });
    }
    const accessdb::ColumnDef& Column(int index) const {
        const auto& columns = cursor_->Table().columns;
        if (index < 0 || static_cast<std::size_t>(index) >= columns.size())
            throw DatabaseError(3265,
                                "Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal.");
        return columns[static_cast<std::size_t>(index)];
    }
    const accessdb::Value& Current(int index) const {
        if (!cursor_)
            ThrowClosed();
        Column(index);
        if (atEnd_)
            throw DatabaseError(
                3021, "Either BOF or EOF is True, or the current record has been deleted.");
        return cursor_->Row()[static_cast<std::size_t>(index)];
    }

    accessdb::Database& db_;
    std::unique_ptr<accessdb::TableCursor> cursor_;
    std::shared_ptr<AccessDbSession::OpenRecordsets> registry_;
    int columns_ = 0;
    bool atEnd_ = false;
};

AccessDbSession::~AccessDbSession() {
    try {
        Close();
    } catch (...) {
        // Errors of an implicit close have nobody to go to.
    }
}

accessdb::Database& AccessDbSession::RequireOpen() const {
    if (!db_)
        ThrowClosed();
    return *db_;
}

void AccessDbSession::Open(const std::string& connectionString) {
    if (db_)
        throw DatabaseError(3705, "Operation is not allowed when the object is open.");
    ConnectionTarget target = ParseConnectionString(connectionString);
    auto mode = accessdb::OpenMode::ReadOnly;
    if (mode_ == kModeReadWrite) {
        mode = changes_ == SessionChanges::Discarded ? accessdb::OpenMode::Discard
                                                     : accessdb::OpenMode::ReadWrite;
    }
    auto db = TranslateEngineErrors(
        [&] { return accessdb::Database::Open(target.path, target.password, mode); });
    if (mode == accessdb::OpenMode::Discard) {
        // Discarding never needs to write, but the session it stands in for would: a file that
        // cannot be written fails here as it fails there.
        TranslateEngineErrors([&] {
            accessdb::RequireWritableFile(target.path);
            return 0;
        });
    }
    db_ = std::move(db);
}

void AccessDbSession::Execute(const std::string& statement) {
    accessdb::Database& db = RequireOpen();
    TranslateEngineErrors([&] {
        db.Guard([&] {
            db.Execute(statement);
            return 0;
        });
        return 0;
    });
}

std::unique_ptr<Recordset> AccessDbSession::OpenTableSchema(int schemaKind) {
    accessdb::Database& db = RequireOpen();
    if (schemaKind != kSchemaTables)
        throw DatabaseError(
            3251, "Object or provider is not capable of performing requested operation (schema " +
                      std::to_string(schemaKind) + ").");
    auto rows = TranslateEngineErrors([&] { return db.SchemaRows(); });
    std::vector<std::vector<std::string>> table;
    table.reserve(rows.size());
    for (auto& r : rows)
        table.push_back({"", "", r.tableName, r.tableType});
    return std::make_unique<TextRecordset>(
        std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"},
        std::move(table));
}

std::unique_ptr<Recordset> AccessDbSession::OpenRecordset(const std::string& query, int, int) {
    accessdb::Database& db = RequireOpen();
    auto cursor = TranslateEngineErrors([&] { return db.OpenQuery(query); });
    return std::make_unique<AccessDbRecordset>(db, std::move(cursor), recordsets_);
}

void AccessDbSession::CloseRecordsets() {
    auto open = recordsets_->list;
    for (AccessDbRecordset* r : open)
        r->Close();
}

void AccessDbSession::Close() {
    CloseRecordsets();
    if (!db_)
        return;
    auto db = std::move(db_);
    TranslateEngineErrors([&] {
        db->Close();
        return 0;
    });
}

}  // namespace quillmere

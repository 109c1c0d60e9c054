#pragma once
// The one way into an Access database: a connection with its recordsets. Engines live behind
// this interface (today our own accessdb engine); callers never see which one.
#include <memory>
#include <stdexcept>
#include <string>

namespace quillmere {

// Every failure of a session operation: a number and a description, as the database engine
// gives them (Jet error numbers where one exists, 3031 for a wrong password, 3706 for a missing
// provider).
class DatabaseError : public std::runtime_error {
  public:
    DatabaseError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long Number() const { return number_; }
    std::string Description() const { return what(); }

  private:
    long number_;
};

inline constexpr int kSchemaTables = 20;     // schema kind of the tables rowset
inline constexpr int kModeReadWrite = 3;     // connection mode: read and write
inline constexpr int kCursorStatic = 3;      // recordset cursor type
inline constexpr int kLockUnspecified = -1;  // recordset lock type
inline constexpr int kAdVarWChar = 202;      // field type of Text columns (adVarWChar)
inline constexpr int kAdLongVarWChar = 203;  // field type of Memo columns (adLongVarWChar)

// Rows read forward. Also used for the tables schema rowset (fields "TABLE_TYPE", "TABLE_NAME").
class Recordset {
  public:
    virtual ~Recordset() = default;
    virtual int FieldCount() const = 0;
    virtual std::string FieldName(int index) const = 0;
    // The field's type as an ADO DataTypeEnum value (adInteger 3, adVarWChar 202, ...);
    // 0 (adEmpty) where a recordset does not know it.
    virtual int FieldType(int index) const {
        (void)index;
        return 0;
    }
    virtual bool AtEnd() const = 0;
    virtual void MoveNext() = 0;
    // The current row's value of a field as text; empty for Null.
    virtual std::string Value(int index) const = 0;
    virtual std::string Value(const std::string& fieldName) const = 0;
    virtual bool IsNull(int index) const = 0;
    virtual void Close() = 0;
};

class DatabaseSession {
  public:
    virtual ~DatabaseSession() = default;
    // 0 closed, anything else open.
    virtual int State() const = 0;
    virtual int Mode() const = 0;
    virtual void SetMode(int mode) = 0;
    // Opens the database named by a connection string (BuildConnectionString).
    virtual void Open(const std::string& connectionString) = 0;
    // Executes one statement; it takes effect at once, with no transaction.
    virtual void Execute(const std::string& statement) = 0;
    virtual std::unique_ptr<Recordset> OpenTableSchema(int schemaKind) = 0;
    virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursorType,
                                                     int lockType) = 0;
    // Closes the session and every recordset opened over it. Closing a closed session is allowed.
    virtual void Close() = 0;
};

class SessionFactory {
  public:
    virtual ~SessionFactory() = default;
    // Creates an unopened session; throws DatabaseError when no engine can be had.
    virtual std::unique_ptr<DatabaseSession> Create() = 0;
};

// The factory of the engine that ships with the program.
std::unique_ptr<SessionFactory> MakeEngineSessionFactory();

}  // namespace quillmere

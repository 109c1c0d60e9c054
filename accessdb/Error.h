#pragma once
// The one exception type of the engine: a kind the callers can branch on, the Jet error number
// that Microsoft's engine gives for the same situation, and a message that names the file,
// table, column or value concerned.
#include <stdexcept>
#include <string>

namespace accessdb {

enum class ErrorKind {
    FileNotFound,   // no file at the path
    NotDatabase,    // not an Access file, unknown version, cut short before the catalog
    Damaged,        // a structure inside the file is inconsistent
    WrongPassword,  // database password missing or different
    Encrypted,      // Office-encrypted .accdb (not readable yet)
    TableNotFound,  // no table or query of that name
    NotSupported,   // a statement or feature this engine does not handle
    ReadOnly,       // a write was attempted where writing is impossible
    Syntax,         // a statement could not be parsed
    Io,             // the operating system refused a read or write
    Constraint,     // a value or name breaks a rule of the database
    InUse,          // another program has the database open for writing
};

class Error : public std::runtime_error {
  public:
    Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    // With the exact Jet number of the situation where the kind alone does not tell it.
    Error(ErrorKind kind, const std::string& message, long jetNumber)
        : std::runtime_error(message), kind_(kind), jetNumber_(jetNumber) {}
    ErrorKind Kind() const { return kind_; }
    // The Jet error number Microsoft's engine raises for this kind of failure.
    long JetNumber() const;

  private:
    ErrorKind kind_;
    long jetNumber_ = 0;
};

// A structure inside the file does not hold together; thrown by the low layers, which do not
// know the file name (Database adds it on the way out).
[[noreturn]] void ThrowDamaged(const std::string& what);

}  // namespace accessdb

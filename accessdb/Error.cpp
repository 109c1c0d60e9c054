// Jet numbers for the engine's error kinds.
#include "accessdb/Error.h"

namespace accessdb {

long Error::JetNumber() const {
    if (jetNumber_ != 0)
        return jetNumber_;
    switch (kind_) {
        case ErrorKind::FileNotFound:
            return 3024;  // Could not find file '...'.
        case ErrorKind::NotDatabase:
            return 3343;  // Unrecognized database format '...'.
        case ErrorKind::Damaged:
            return 3049;  // ... the file may be corrupt.
        case ErrorKind::WrongPassword:
            return 3031;  // Not a valid password.
        case ErrorKind::Encrypted:
            return 3343;  // the format cannot be read without decryption
        case ErrorKind::TableNotFound:
            return 3078;  // cannot find the input table or query
        case ErrorKind::NotSupported:
            return 3251;  // Operation is not supported for this type of object.
        case ErrorKind::ReadOnly:
            return 3027;  // Cannot update. Database or object is read-only.
        case ErrorKind::Syntax:
            return 3292;  // Syntax error in field definition / statement.
        case ErrorKind::Io:
            return 3043;  // Disk or network error.
        case ErrorKind::Constraint:
            return 3022;
        case ErrorKind::InUse:
            return 3045;  // Could not use '...'; file already in use.
    }
    return 3049;
}

void ThrowDamaged(const std::string& what) {
    throw Error(ErrorKind::Damaged, what);
}

}  // namespace accessdb

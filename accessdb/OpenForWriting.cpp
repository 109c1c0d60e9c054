// What opening for writing requires. The writer replaces this with the lock file and journal
// recovery; until then writing is refused clearly.
#include "accessdb/Database.h"

namespace accessdb {

void Database::PrepareForWriting() {
    if (format().jet3)
        throw Error(
            ErrorKind::ReadOnly,
            "The database '" + Path() + "' is an Access 97 (Jet 3) file, which can only be read.");
    throw Error(ErrorKind::NotSupported,
                "Opening '" + Path() + "' for writing is not supported yet.");
}

}  // namespace accessdb

// What opening for writing requires: a format we can write (Jet 4 and ACE; the page codec of an
// encoded or encrypted file re-encodes every page written), the lock file beside the database,
// and the rollback of a statement a crash cut off (which needs no password: the journal holds
// pages as stored).
#include "accessdb/Database.h"
#include "accessdb/LockFile.h"
#include "accessdb/RollbackJournal.h"
#include "accessdb/write/Writer.h"

namespace accessdb {

void RefuseJet3Writing(const std::string& path) {
    throw Error(ErrorKind::ReadOnly, "The database '" + path +
                                         "' is an Access 97 (Jet 3) file, which can only be read.");
}

void Database::PrepareForWriting() {
    if (format().jet3)
        RefuseJet3Writing(Path());
    writer_ = std::make_unique<Writer>(*this, mode_ == OpenMode::Discard);
}

void RecoverInterruptedStatement(const std::string& path) {
    if (!RollbackJournal::NeedsRecovery(path))
        return;
    try {
        RequireWritableFile(path);
    } catch (const Error&) {
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + path +
                        "' holds a statement cut off by a crash, which can only be "
                        "undone when the file can be written.");
    }
    LockFile lock(path);
    PageFile pages(path, OpenMode::ReadWrite);
    RollbackJournal::Recover(pages, true);
}

}  // namespace accessdb

// What opening for writing requires: a format we can write (Jet 3, Jet 4 and ACE; the page codec of
// an encoded or encrypted file re-encodes every page written), the lock file beside the database,
// and the rollback of a statement a crash cut off (which needs no password: the journal holds
// pages as stored).
#include <memory>

#include "accessdb/Database.h"
#include "accessdb/DatabaseLock.h"
#include "accessdb/Error.h"
#include "accessdb/LockFile.h"
#include "accessdb/RollbackJournal.h"
#include "accessdb/write/Writer.h"

namespace accessdb {

void Database::PrepareForWriting() {
    if (mode_ == OpenMode::Discard) {
        writer_ = std::make_unique<Writer>(*this, true);  // a dry run: no lock, no journal
        return;
    }
    LockForWriting(pages_->File());
    // The writer rolls back what a crash cut off before anything else: no reader may look on.
    const WriteGroupLock group(pages_->File());
    writer_ = std::make_unique<Writer>(*this, false);
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
    // A session writing the file has rolled back whatever a crash left when it opened; a journal
    // marked full beside it is its own group in progress, which the reader's lock waits out.
    // (On Windows a writer's handle shares no writing, so that session shows at the open.)
    std::unique_ptr<PageFile> opened;
    try {
        opened = std::make_unique<PageFile>(path, OpenMode::ReadWrite);
    } catch (const Error& e) {
        if (e.Kind() == ErrorKind::InUse)
            return;
        throw;
    }
    PageFile& pages = *opened;
    if (!TryLockForWriting(pages.File()))
        return;
    LockFile lock(path);
    const WriteGroupLock group(pages.File());
    RollbackJournal::Recover(pages, true);
}

std::unique_ptr<PageFile> OpenPagesForReading(const std::string& path, OpenMode mode) {
    for (int attempt = 0;; ++attempt) {
        RecoverInterruptedStatement(path);
        auto pages = std::make_unique<PageFile>(path, mode);
        // A dry run (Discard) takes no lock: it must not keep a real writer waiting.
        if (mode == OpenMode::Discard)
            return pages;
        LockForReading(pages->File());
        pages->DiscardCache();  // the file may have grown while the lock was awaited
        // Under the reader's lock no group is being written: a journal still marked full was
        // left by a writer that died after the look above, and is rolled back now.
        if (attempt == 2 || !RollbackJournal::NeedsRecovery(path))
            return pages;
    }
}

}  // namespace accessdb

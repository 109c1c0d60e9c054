#pragma once
// Who may use a database file at the same time, enforced on the database file itself, so that
// every path naming it (symbolic and hard links, relative paths, a second mount) meets the same
// locks. Two byte ranges beyond the end of any database are used:
// - the writer range, held exclusively by the one session that writes, for as long as it is
//   open: a second writer, in this process or another, is refused at once with "file already
//   in use" (3045) before it has written or created anything;
// - the group range, held shared by every reading session for as long as it is open, and
//   exclusively by the writer while it writes one group of pages (from the journal's write to
//   its being marked done). A reader therefore never sees part of a group, and nothing is
//   written under an open reader.
// Waiting rule: groups take milliseconds and reading sessions are short (a catalogue read, one
// command), so each side waits for the other instead of failing: a reader opening during a
// group waits for it to end, a writer about to write a group waits for the open readers to
// close, and while it waits no new reader is let in (so readers coming one after another cannot
// keep it out for ever). Either gives up with 3045 after its wait (LockWaits); a writer that
// gives up has written nothing of the statement. A session never waits for itself: the writer holds
// the group range only inside a statement, never between calls. A dry run (OpenMode::Discard)
// takes no lock at all. Locks end when the session is
// closed, or with the process however it ends.
#include <chrono>

#include "accessdb/FileHandle.h"

namespace accessdb {

struct LockWaits {
    std::chrono::milliseconds reader{10000};
    std::chrono::milliseconds writer{30000};
};

// The waits in force for this process (tests shorten them).
LockWaits& DatabaseLockWaits();

// The writer's range; throws InUse naming the file when another session writes it.
void LockForWriting(FileHandle& file);
// Like LockForWriting, but says false instead of throwing.
bool TryLockForWriting(FileHandle& file);
// A reader's shared hold on the group range, waiting out a group being written; throws InUse
// when the wait runs out.
void LockForReading(FileHandle& file);
// Ends whatever this handle holds (on Close).
void UnlockDatabase(FileHandle& file);

// The writer's exclusive hold on the group range while a group is written; waits for open
// readers, throws InUse when they stay open longer than the writer's wait.
class WriteGroupLock {
  public:
    explicit WriteGroupLock(FileHandle& file);
    ~WriteGroupLock();
    WriteGroupLock(const WriteGroupLock&) = delete;
    WriteGroupLock& operator=(const WriteGroupLock&) = delete;

  private:
    FileHandle& file_;
};

}  // namespace accessdb

#pragma once
// Crash safety for writes: before a group of statements reaches the database file, the
// original images of the pages it changes, as stored in the file (encrypted for an encrypted
// file), and the file's length are written to a journal file beside it ("<database>-journal"),
// in one write. Once every page is written the journal
// is marked empty. A journal still marked full when the database is next opened belongs to a
// group that was cut off: its images are written back, so the file holds every group before
// it and nothing of that one. Groups are not synced one by one: the journal and the pages
// reach the operating system in order, which is what survives a killed process; closing the
// database syncs.
//
// The journal records which file it was written for (device and inode, the size before the
// group, hashes of page 0 and of every page it covers, before and after the change). It is
// applied only to that file in one of the states the group could have left it in; any other
// file beside it (a database copied or moved into the crashed one's place) is left alone, the
// journal is kept aside under another name and the open fails naming both.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "accessdb/FileHandle.h"
#include "accessdb/PageFile.h"

namespace accessdb {

class RollbackJournal : public PageJournal {
  public:
    // Creates (or reuses) the journal file of the database at `databasePath`.
    RollbackJournal(const std::string& databasePath, std::uint32_t pageSize);
    ~RollbackJournal() override;

    static std::string PathFor(const std::string& databasePath);

    void BeforeFirstChange(std::uint32_t page, Bytes original) override;
    void BeforeGrow(std::uint32_t pageCountBefore) override;
    void BeforeWrite(PageFile& pages) override { Write(pages); }
    void AfterWrite() override { MarkDone(); }
    std::function<void()> AfterWriteLater() override;

    // Empties the journal file; call once any interrupted group has been rolled back, so that
    // no trailer of an earlier session can match a journal of this one.
    void Start();

    // Writes the journal for the current group (what `pages` now holds tells which bytes
    // changed); call before the pages are written.
    void Write(PageFile& pages);
    // Marks the journal empty after the group's pages are written.
    void MarkDone();
    // Forgets the current group's images (the group was abandoned before any write).
    void Forget();
    // Syncs the journal file and then removes it (on close, after the database is synced).
    void Remove();

    // Rolls back a group cut off by a crash, if the database has a journal marked full: checks
    // that the journal was written for this very file, writes the original stored bytes back
    // into the file of `pages` (no page codec, no password needed), restores the length, syncs and
    // removes the journal (or, with `removeJournal` false, leaves it for the caller's Start()).
    // Returns whether anything was rolled back. A journal that was not completely written is
    // ignored (the database was not touched yet). A journal written for another file is renamed
    // (see SetAsidePath) and Error Damaged names both files.
    static bool Recover(PageFile& pages, bool removeJournal);
    // Whether a journal marked full lies beside the database.
    static bool NeedsRecovery(const std::string& databasePath);
    // Where a journal that does not belong to its database is kept: "<journal>.unmatched",
    // numbered when that name is taken.
    static std::string SetAsidePath(const std::string& journalPath);

  private:
    std::string path_;
    std::uint32_t pageSize_;
    std::unique_ptr<FileHandle> file_;
    std::vector<std::uint32_t> originalPages_;  // pages changed in the group, in order
    std::vector<std::uint8_t> buffer_;          // the journal as written
    bool grew_ = false;
    std::uint32_t pageCountBefore_ = 0;
    std::uint32_t group_ = 0;  // numbers the journals written, so trailers cannot be stale
};

}  // namespace accessdb

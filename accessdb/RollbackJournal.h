#pragma once
// Crash safety for writes: before a statement's pages reach the database file, their original
// images as stored in the file (encrypted for an encrypted file) and the file's length are
// written to a journal file beside it ("<database>-journal").
// Once every page is written the journal is marked empty. A journal still marked full when the
// database is next opened belongs to a statement that was cut off: its images are written back,
// so every statement is complete or absent. Statements are not synced one by one: the journal
// and the pages reach the operating system in order, which is what survives a killed process;
// closing the database syncs.
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

    // Empties the journal file; call once any interrupted statement has been rolled back, so
    // that no trailer of an earlier session can match a journal of this one.
    void Start();

    // Whether the current statement has journaled anything.
    bool HasChanges() const { return records_ != 0 || grew_; }
    // Writes the journal for the current statement (what `pages` now holds tells which bytes
    // changed); call before the pages are written.
    void Write(PageFile& pages);
    // Marks the journal empty after the statement's pages are written.
    void MarkDone();
    // Forgets the current statement's images (the statement was abandoned before any write).
    void Forget();
    // Syncs the journal file and then removes it (on close, after the database is synced).
    void Remove();

    // Rolls back a statement cut off by a crash, if the database has a journal marked full:
    // writes the original stored bytes back into the file of `pages` (no page codec needed),
    // restores the length, syncs and removes
    // the journal (or, with `removeJournal` false, leaves it for the caller's Start()). Returns
    // whether anything was rolled back. A journal that was not completely written is ignored
    // (the database was not touched yet).
    static bool Recover(PageFile& pages, bool removeJournal);
    // Whether a journal marked full lies beside the database.
    static bool NeedsRecovery(const std::string& databasePath);

  private:
    std::string path_;
    std::uint32_t pageSize_;
    std::unique_ptr<FileHandle> file_;
    std::vector<std::uint8_t> originals_;       // original images, one page each
    std::vector<std::uint32_t> originalPages_;  // their page numbers
    std::vector<std::uint8_t> buffer_;          // the journal as written
    std::uint32_t records_ = 0;
    bool grew_ = false;
    std::uint32_t pageCountBefore_ = 0;
    std::uint32_t statement_ = 0;  // numbers the journals written, so trailers cannot be stale
};

}  // namespace accessdb

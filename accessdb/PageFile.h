#pragma once
// The database file as numbered pages, read on demand through a cache. Pages come out decoded
// (page 0 unmasked, the others through the file's page codec: Jet page encoding, Office
// encryption) and go back encoded. Writing goes through
// Modify(), which marks a page dirty. Changes reach the file in groups: the first time a page
// changes within a group its original image goes to the journal, and Flush() writes the group
// (journal, pages in page order, journal marked done). Inside a group each statement is all or
// nothing in memory: BeginStatement() opens a savepoint (the pre-statement image of every page
// the statement changes), RollbackStatement() puts those images back.
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/FileHandle.h"
#include "accessdb/Format.h"
#include "accessdb/Header.h"
#include "accessdb/PageCodec.h"

namespace accessdb {

// Something a reader worked out from a page's bytes and keeps with the page (the layout of an
// index leaf), valid only while the page's version is the one it was worked out at. It lives and
// dies with the cached page, so it costs no lookup and no memory once the page leaves the cache.
struct PageMemo {
    virtual ~PageMemo() = default;
};

struct Page {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;  // decoded; always exactly one page long
    bool dirty = false;               // changed since the file last received it
    std::uint64_t savedIn = 0;        // the statement whose savepoint holds its image
    std::uint32_t savedSlot = 0;      // where in that savepoint
    // Grows whenever the bytes may change (Modify(), a rollback), so that what was derived from
    // them (decoded index pages) can tell it is out of date.
    std::uint64_t version = 0;
    // The page's memo and the version it belongs to (see PageMemo); readers of a shared page
    // may set it, hence mutable.
    mutable std::unique_ptr<PageMemo> memo;
    mutable std::uint64_t memoVersion = 0;
    // The group on the writing thread that holds this page, and where (see WriteBehind).
    std::uint64_t writeGroup = 0;
    std::uint32_t writePiece = 0;
    Bytes View() const { return bytes; }
    MutableBytes Mutable() { return bytes; }
    std::uint8_t Type() const { return bytes[0]; }
};
using PageRef = std::shared_ptr<const Page>;

// Bytes of a page: [offset, offset + length).
struct ByteRange {
    std::size_t offset = 0;
    std::size_t length = 0;
};
using MutablePageRef = std::shared_ptr<Page>;

// Records what a group of statements is about to change, so that it can be undone after a
// crash.
class PageJournal {
  public:
    virtual ~PageJournal() = default;
    // Called once per page and group, before the first change, with the decoded original as
    // the file holds it.
    virtual void BeforeFirstChange(std::uint32_t page, Bytes original) = 0;
    // Called once per group before the file first grows, with the page count on disk.
    virtual void BeforeGrow(std::uint32_t pageCountBefore) = 0;
    // Called by Flush() before the group's first page is written (the journal goes out then)
    // and after its last one (the journal is marked done).
    virtual void BeforeWrite(class PageFile& pages) { (void)pages; }
    virtual void AfterWrite() {}
    // For a group whose pages go out on the writing thread (PageFile::FlushBehind): forgets the
    // group here and returns what AfterWrite() does to the journal's file, which that thread
    // runs once the pages are written.
    virtual std::function<void()> AfterWriteLater() {
        return [this] { AfterWrite(); };
    }
};

// The largest file Access opens: 2 GiB.
constexpr std::uint64_t kMaxDatabaseBytes = 2ull * 1024 * 1024 * 1024;

// Discard: opened for writing, but every change stays in memory and the file is never written
// (a dry run).
enum class OpenMode { ReadOnly, ReadWrite, Discard };

class PageFile {
  public:
    // Opens the file and reads its header. Throws FileNotFound, NotDatabase (with the path).
    PageFile(const std::string& path, OpenMode mode);
    ~PageFile();

    const std::string& Path() const { return file_.Path(); }
    const Format& format() const { return *header_.format; }
    const DatabaseHeader& Header() const { return header_; }
    std::uint32_t PageSize() const { return header_.format->pageSize; }
    std::uint32_t PageCount() const { return pageCount_; }
    bool Writable() const { return file_.Writable() || discard_; }
    // Changes are kept in memory only (OpenMode::Discard).
    bool Discarding() const { return discard_; }

    // Office-encrypted files: the codec the password unlocked; until then their pages after
    // page 0 cannot be read. (Jet page encoding needs no password and is set up on opening.)
    void SetCodec(std::unique_ptr<PageCodec> codec) { codec_ = std::move(codec); }

    // The bytes of `page` as they go to the file: the cached ones, or `scratch` holding them
    // encoded (page 0 masked, the others through the codec).
    std::span<const std::uint8_t> Encoded(const Page& page, std::vector<std::uint8_t>& scratch);
    // A decoded page. Throws Damaged for a page number outside the file.
    PageRef Read(std::uint32_t page);
    // The page for changing: marks it dirty and journals its original image first.
    MutablePageRef Modify(std::uint32_t page);
    // The same, for a change of only the bytes in `parts` (the caller changes nothing else
    // until it asks again): the statement's savepoint keeps those bytes instead of the whole
    // page. A row added to a data page or an entry to an index leaf changes a small part of
    // its page, and copying every page a row touches was a good part of an append's time.
    MutablePageRef ModifyParts(std::uint32_t page, std::span<const ByteRange> parts);
    // A new zeroed page at the end of the file (dirty); returns its number.
    MutablePageRef Append();

    // The journal sees each page once per group (from one Flush() to the next).
    void SetJournal(PageJournal* journal) { journal_ = journal; }
    PageJournal* Journal() const { return journal_; }
    // A savepoint: every page the statement changes keeps its pre-statement image in memory.
    void BeginStatement();
    // Keeps the statement's changes (they join the group).
    void EndStatement();
    // Puts back every page the statement changed and drops the pages it appended: the cache is
    // exactly as it was at BeginStatement(). Ends the statement.
    void RollbackStatement();
    bool InStatement() const { return inStatement_; }

    // When a group is due for writing: after this many bytes of changed pages or this much
    // time since its first change (checked by GroupDue()).
    void SetGroupLimits(std::size_t bytes, std::chrono::milliseconds age) {
        groupBytesLimit_ = bytes;
        groupAgeLimit_ = age;
    }
    bool GroupDue() const;
    std::size_t DirtyPageCount() const { return dirty_.size(); }

    // Writes the group: the journal, every dirty page (encoded; runs of adjacent pages in one
    // gathered write), the journal marked done. Sync() then makes it durable.
    void Flush();
    // The same, except that the pages are written on a second thread while the caller goes on
    // (the journal is written first, here). `hold` is dropped once they are written. Every
    // later write, rollback or read of those pages from the file waits for them.
    void FlushBehind(std::shared_ptr<void> hold);
    // Waits for the pages on the writing thread; a failure is kept for FinishWrites().
    void AwaitWrites();
    // Waits for them and throws what writing them failed with.
    void FinishWrites();
    // Pages are being written, or failed to be and FinishWrites() has not said so yet.
    bool WritesPending() const;
    void Sync() {
        if (!discard_) {
            FinishWrites();
            file_.Sync();
        }
    }
    // Drops every cached page, dirty ones included (after a rollback replaced the file's pages).
    void DiscardCache();
    FileHandle& File() { return file_; }

    // How many pages stay cached while clean; dirty pages stay until flushed.
    void SetCacheLimit(std::size_t pages) { cacheLimit_ = pages; }
    // The size the file may not grow past (kMaxDatabaseBytes unless a test lowers it).
    void SetSizeLimit(std::uint64_t bytes) { sizeLimit_ = bytes; }
    // The limit every PageFile opened afterwards starts with (tests; 0 restores 2 GiB). The
    // environment variable QUILLMERE_MAX_DATABASE_BYTES does the same for child processes.
    static void SetDefaultSizeLimit(std::uint64_t bytes);

  private:
    struct SavedPage {
        std::uint32_t number = 0;
        bool wasDirty = false;
        bool whole = true;                // bytes is the page's image
        std::vector<std::uint8_t> bytes;  // else the saved parts' bytes, one after another
        std::vector<ByteRange> parts;     // in the order they were saved
#ifndef NDEBUG
        std::vector<std::uint8_t> image;  // debug builds: the whole image, to check the parts
#endif
    };

    void RequireWritable() const;
    // Marks `page` changed (version, dirty, journal) and returns it; no savepoint.
    MutablePageRef Touch(std::uint32_t page);
    // A new savepoint slot for `page`, or null when the statement need not save it.
    SavedPage* NewSaved(Page& page);
    // Puts the saved parts' bytes back into `bytes`, last saved first.
    static void RestoreParts(const SavedPage& saved, MutableBytes bytes);
    // Debug builds: the bytes outside the saved parts are as they were.
    void CheckParts(const SavedPage& saved, const Page& page) const;

    std::vector<std::uint8_t> Load(std::uint32_t page);
    void WriteDirtyPages(const std::vector<std::uint32_t>& pages);
    // The group's pages (sorted) are the file's now, or on their way there: they are clean,
    // and the next group starts.
    void EndGroup(const std::vector<std::uint32_t>& pages);
    [[noreturn]] void ThrowFull() const;
    // A decoded page turned into its bytes as stored in the file, in place.
    void ToStored(std::uint32_t page, MutableBytes bytes) const;
    // The cached page, loaded when needed; never evicted by its own loading.
    MutablePageRef Fetch(std::uint32_t page);
    void Remember(const MutablePageRef& page);
    void EvictClean(std::uint32_t keep);
    // Drops a cached page from the cache.
    void Forget(std::uint32_t page);
    // A page that must be cached (dirty or saved); throws Damaged when it is not.
    const MutablePageRef& Cached(std::uint32_t page) const;

    FileHandle file_;
    std::unique_ptr<class WriteBehind> behind_;  // started by the first FlushBehind()
    std::uint64_t behindGroup_ = 0;              // numbers the groups handed to it
    std::exception_ptr writeError_;              // its failure, until FinishWrites()
    DatabaseHeader header_;
    std::unique_ptr<PageCodec> codec_;
    std::uint32_t pageCount_ = 0;
    std::uint32_t pageCountOnDisk_ = 0;
    std::vector<MutablePageRef> cache_;  // by page number; empty where not cached
    std::size_t cached_ = 0;             // pages in cache_
    std::list<std::uint32_t> order_;     // least recently loaded first (clean pages only matter)
    std::unordered_set<std::uint32_t> dirty_;
    std::unordered_set<std::uint32_t> journaled_;  // in the current group
    bool grewInGroup_ = false;
    bool inStatement_ = false;
    bool discard_ = false;
    PageJournal* journal_ = nullptr;
    std::size_t cacheLimit_ = 1024;
    std::uint64_t sizeLimit_ = kMaxDatabaseBytes;

    // The savepoint of the running statement: saved_[0, savedCount_) (buffers are reused).
    std::vector<SavedPage> saved_;
    std::size_t savedCount_ = 0;
    std::uint64_t statement_ = 0;  // numbers the statements, for Page::savedIn
    std::uint32_t statementPageCount_ = 0;

    std::size_t groupBytesLimit_ = 16u << 20;
    // Jet's own default for its lazy writes (FlushTransactionTimeout): short enough that a
    // killed run loses at most half a second of statements, long enough that pages changed
    // over and over (index pages taking random keys) reach the file once per group.
    std::chrono::milliseconds groupAgeLimit_{500};
    std::chrono::milliseconds groupStart_{0};  // on GroupClockNow()'s clock
};

}  // namespace accessdb
